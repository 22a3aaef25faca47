#include "CDocument.h"

#include "CView.h"
#include "StringTable.h"

#include <algorithm>
#include <fstream>

CDocument::~CDocument() {
    for (CView* view : views_)
        view->document_ = nullptr;
}

void CDocument::AddView(CView* view) {
    if (!view || std::find(views_.begin(), views_.end(), view) != views_.end())
        return;
    views_.push_back(view);
    view->document_ = this;
}

void CDocument::RemoveView(CView* view) {
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end())
        return;
    views_.erase(it);
    view->document_ = nullptr;
}

void CDocument::UpdateAllViews(CView* sender, intptr_t hint) {
    // A view may remove itself or others while being updated: walk a copy, skip the departed.
    const std::vector<CView*> views = views_;
    for (CView* view : views)
        if (view != sender && std::find(views_.begin(), views_.end(), view) != views_.end())
            view->OnUpdate(sender, hint);
}

void CDocument::SetPathName(const std::string& path, bool addToRecentFiles) {
    path_ = path;
    const size_t slash = path.find_last_of('/');
    title_ = slash == std::string::npos ? path : path.substr(slash + 1);
    if (addToRecentFiles)
        OnAddToRecentFiles(path);
}

bool CDocument::OnNewDocument() {
    DeleteContents();
    modified_ = false;
    path_.clear();
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ReportFrameworkError(strings::kFailedToOpenDocument);
        return false;
    }
    DeleteContents();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path) {
    (void)path;
    SetModifiedFlag(false);
    return true;
}

std::string CDocument::SaveQuestion() const {
    std::string question = LoadStringResource(strings::kAskToSave);
    const size_t at = question.find("%1");
    if (at != std::string::npos)
        question.replace(at, 2, title_);
    return question;
}

bool CDocument::SaveModified(const CloseHooks& hooks) {
    if (!IsModified())
        return true;
    const SaveAnswer answer = hooks.ask ? hooks.ask(SaveQuestion()) : SaveAnswer::Cancel;
    if (answer == SaveAnswer::No)
        return true;
    if (answer == SaveAnswer::Cancel)
        return false;
    std::string path = path_;
    if (path.empty()) {
        path = hooks.choosePath ? hooks.choosePath() : std::string();
        if (path.empty())
            return false;
    }
    if (!OnSaveDocument(path))
        return false;
    SetPathName(path, true);
    return true;
}
