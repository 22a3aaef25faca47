#include "WindowTitles.h"

std::string ConnectionTitle(const std::string& user, const std::string& connectString) {
    return "Quarvel [" + user + "@" + connectString + "]";
}

std::string DocumentTitle(const std::string& user, const std::string& connectString, const std::string& fileName) {
    return ConnectionTitle(user, connectString) + " - " + fileName;
}

std::string SavedDocumentTitle(const std::string& user, const std::string& connectString, const std::string& path) {
    return " Quarvel [" + user + "@" + connectString + "] - " + path;
}
