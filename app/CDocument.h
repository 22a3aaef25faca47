// The document half of the document/view layer: the data of one window, the views that show it, the
// modified flag, the title and path, and the open/save hooks that a document type overrides.
//
// Thread contract: UI thread only.
#pragma once

#include "CCmdTarget.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CView;

class CDocument : public CCmdTarget {
public:
    enum class SaveAnswer { Yes, No, Cancel };

    // What closing a modified document needs of the windows: ask the question, choose a path when the
    // document has none (empty: the user cancelled), report a failure of the framework.
    struct CloseHooks {
        std::function<SaveAnswer(const std::string& question)> ask;
        std::function<std::string()> choosePath;
    };

    CDocument() = default;
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& Views() const { return views_; }
    // Calls OnUpdate of every view except `sender`.
    void UpdateAllViews(CView* sender, intptr_t hint = 0);

    virtual bool IsModified() const { return modified_; }
    virtual void SetModifiedFlag(bool modified = true) { modified_ = modified; }

    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& GetPathName() const { return path_; }
    // Sets the path and makes the file's name (without folder) the title.
    void SetPathName(const std::string& path, bool addToRecentFiles = true);

    // Framework operations a document type overrides; the base versions are the framework's.
    virtual bool OnNewDocument();                        // deletes the contents, clears modified and path
    virtual bool OnOpenDocument(const std::string& path); // checks the file opens, deletes the contents
    virtual bool OnSaveDocument(const std::string& path); // nothing to write in the base; clears modified
    virtual void DeleteContents() {}

    // "Save changes to %1?" with the title for %1.
    std::string SaveQuestion() const;
    // Asks before a modified document closes. True when it may close: not modified, No, or Yes and the
    // save succeeded. Cancel, a cancelled path choice or a failed save keep it open.
    bool SaveModified(const CloseHooks& hooks);

protected:
    virtual void OnAddToRecentFiles(const std::string& path) { (void)path; }
    // A failure the framework itself reports (e.g. "Failed to open document.").
    virtual void ReportFrameworkError(uint32_t stringId) { (void)stringId; }

private:
    std::vector<CView*> views_;
    std::string title_;
    std::string path_;
    bool modified_ = false;
};
