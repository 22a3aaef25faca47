// Captions of the main window and the editor windows.
#pragma once

#include <string>

// "Quarvel [" + user + "@" + connect string + "]": the caption right after a connect.
std::string ConnectionTitle(const std::string& user, const std::string& connectString);
// "Quarvel [" + user + "@" + connect string + "] - " + file name: the caption of an editor window.
std::string DocumentTitle(const std::string& user, const std::string& connectString, const std::string& fileName);
// The caption after Save File As, which starts with one space.
std::string SavedDocumentTitle(const std::string& user, const std::string& connectString, const std::string& path);
