// Name resolution of PL/SQL: the declarations visible at a point of a program, innermost first.
//
// Invariants: every scope belongs to one frame depth (an anonymous block and each subprogram body
// open a new frame; a nested DECLARE block keeps its subprogram's frame and only adds names). A
// name found at frame depth d, used at depth u, is reached by following u - d static links.
#ifndef LITEOCI_PLSCOPE_H
#define LITEOCI_PLSCOPE_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PlTree.h"

namespace liteoci {

struct Entry {
    enum Kind : uint8_t { Var, Cursor, Exception, Type, Sub } kind = Var;
    int slot = -1;
    TypeP type;
    bool constant = false;
    std::shared_ptr<CursorDecl> cursor;
    const ExcDecl* exc = nullptr;
    std::vector<std::shared_ptr<Subprogram>> subs;
    Package* pkg = nullptr;  // a name of a package's own scope
};

struct Scope {
    int depth = 0;
    std::map<std::string, Entry> names;
    std::string label;
};

// The frames being compiled: one per subprogram body (slot counters and slot types).
struct FrameInfo {
    int size = 0;
    std::vector<TypeP> types;
    Package* pkg = nullptr;  // the package frame of a package's own variables
};

class Scopes {
public:
    void Push(int depth) { stack_.push_back(Scope{depth, {}, {}}); }
    void Pop() { stack_.pop_back(); }
    Scope& Top() { return stack_.back(); }
    int depth() const { return stack_.empty() ? 0 : stack_.back().depth; }
    // Innermost entry named `upper`; found depth in `at`.
    const Entry* Find(const std::string& upper, int& at) const {
        for (size_t k = stack_.size(); k-- > 0;) {
            auto it = stack_[k].names.find(upper);
            if (it != stack_[k].names.end()) {
                at = stack_[k].depth;
                return &it->second;
            }
        }
        return nullptr;
    }
    bool DeclaredHere(const std::string& upper) const { return stack_.back().names.count(upper) != 0; }

private:
    std::vector<Scope> stack_;
};

}  // namespace liteoci

#endif
