// liteoci-admin: creates database files of the embedded client, manages their users and runs
// SQL scripts through the client's own SQL path.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../oci/oci_abi.h"
#include "Session.h"

extern "C" {
sword OCIEnvInit(OCIEnv**, ub4, size_t, void**);
sword OCIHandleAlloc(const void*, void**, const ub4, const size_t, void**);
sword OCIHandleFree(void*, const ub4);
sword OCIServerAttach(OCIServer*, OCIError*, const OraText*, sb4, ub4);
sword OCIAttrSet(void*, ub4, void*, ub4, ub4, OCIError*);
sword OCIAttrGet(const void*, ub4, void*, ub4*, ub4, OCIError*);
sword OCISessionBegin(OCISvcCtx*, OCIError*, OCISession*, ub4, ub4);
sword OCISessionEnd(OCISvcCtx*, OCIError*, OCISession*, ub4);
sword OCIErrorGet(void*, ub4, OraText*, sb4*, OraText*, ub4, ub4);
sword OCIStmtPrepare(OCIStmt*, OCIError*, const OraText*, ub4, ub4, ub4);
sword OCIStmtExecute(OCISvcCtx*, OCIStmt*, OCIError*, ub4, ub4, const OCISnapshot*, OCISnapshot*, ub4);
sword OCIStmtFetch(OCIStmt*, OCIError*, ub4, ub2, ub4);
sword OCIDefineByPos(OCIStmt*, OCIDefine**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*, ub2*, ub4);
sword OCITransCommit(OCISvcCtx*, OCIError*, ub4);
}

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage:\n"
                 "  liteoci-admin create FILE                          make a new, empty database file\n"
                 "  liteoci-admin user FILE NAME PASSWORD [--sysdba]   add a user or change its password\n"
                 "  liteoci-admin run FILE USER PASSWORD SCRIPT.sql    run a script (\";\" ends a statement,\n"
                 "                                                     \"/\" on its own line ends a PL/SQL block)\n");
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool IsPlsql(const std::string& stmt) {
    std::string up;
    for (char c : stmt.substr(0, 120)) up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::istringstream in(up);
    std::string w1, w2, w3, w4;
    in >> w1 >> w2 >> w3 >> w4;
    if (w1 == "BEGIN" || w1 == "DECLARE") return true;
    if (w1 != "CREATE") return false;
    const std::string& kind = w2 == "OR" ? w4 : w2;
    return kind == "PROCEDURE" || kind == "FUNCTION" || kind == "PACKAGE" || kind == "TRIGGER" || kind == "TYPE";
}

// Splits a script into statements.
std::vector<std::string> Split(const std::string& script) {
    std::vector<std::string> out;
    std::istringstream in(script);
    std::string line, current;
    while (std::getline(in, line)) {
        std::string t = Trim(line);
        if (current.empty() && (t.empty() || t.rfind("--", 0) == 0)) continue;
        if (t == "/") {
            if (!Trim(current).empty()) out.push_back(Trim(current));
            current.clear();
            continue;
        }
        current += line + "\n";
        if (!IsPlsql(Trim(current)) && !t.empty() && t.back() == ';' && t.rfind("--", 0) != 0) {
            std::string s = Trim(current);
            s.pop_back();
            out.push_back(Trim(s));
            current.clear();
        }
    }
    if (!Trim(current).empty()) out.push_back(Trim(current));
    return out;
}

int Run(const std::string& file, const std::string& user, const std::string& password, const std::string& scriptPath) {
    std::ifstream f(scriptPath, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "liteoci-admin: cannot read %s\n", scriptPath.c_str());
        return 1;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIServer* srv = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* ses = nullptr;
    OCIEnvInit(&env, OCI_DEFAULT, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<void**>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<void**>(&ses), OCI_HTYPE_SESSION, 0, nullptr);
    OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, err);
    char text[1024];
    sb4 code = 0;
    auto failed = [&](sword rc) {
        if (rc == OCI_SUCCESS || rc == OCI_NO_DATA) return false;
        OCIErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
        if (rc == OCI_SUCCESS_WITH_INFO) {
            std::fprintf(stderr, "warning: %s\n", text);
            return false;
        }
        return true;
    };
    int status = 0;
    if (failed(OCIServerAttach(srv, err, reinterpret_cast<const OraText*>(file.c_str()), static_cast<sb4>(file.size()),
                               OCI_DEFAULT))) {
        std::fprintf(stderr, "liteoci-admin: %s\n", text);
        return 1;
    }
    OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(user.c_str()), static_cast<ub4>(user.size()), OCI_ATTR_USERNAME, err);
    OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(password.c_str()), static_cast<ub4>(password.size()),
               OCI_ATTR_PASSWORD, err);
    if (failed(OCISessionBegin(svc, err, ses, OCI_CRED_RDBMS, OCI_DEFAULT))) {
        std::fprintf(stderr, "liteoci-admin: %s\n", text);
        return 1;
    }
    OCIStmt* st = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    int n = 0;
    for (const std::string& sql : Split(ss.str())) {
        ++n;
        OCIStmtPrepare(st, err, reinterpret_cast<const OraText*>(sql.c_str()), static_cast<ub4>(sql.size()),
                       OCI_NTV_SYNTAX, OCI_DEFAULT);
        ub2 type = 0;
        OCIAttrGet(st, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err);
        if (type == OCI_STMT_SELECT) {
            if (failed(OCIStmtExecute(svc, st, err, 0, 0, nullptr, nullptr, OCI_DESCRIBE_ONLY))) {
                std::fprintf(stderr, "statement %d: %s\n", n, text);
                status = 1;
                break;
            }
            ub4 cols = 0;
            OCIAttrGet(st, OCI_HTYPE_STMT, &cols, nullptr, OCI_ATTR_PARAM_COUNT, err);
            std::vector<std::vector<char>> bufs(cols, std::vector<char>(4001));
            std::vector<sb2> ind(cols);
            for (ub4 c = 0; c < cols; ++c)
                OCIDefineByPos(st, nullptr, err, c + 1, bufs[c].data(), 4001, SQLT_STR, &ind[c], nullptr, nullptr, OCI_DEFAULT);
            sword rc = OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
            while (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) {
                for (ub4 c = 0; c < cols; ++c)
                    std::printf("%s%s", c ? "\t" : "", ind[c] == -1 ? "" : bufs[c].data());
                std::printf("\n");
                rc = OCIStmtFetch(st, err, 1, OCI_FETCH_NEXT, OCI_DEFAULT);
            }
            if (failed(rc)) {
                std::fprintf(stderr, "statement %d: %s\n", n, text);
                status = 1;
                break;
            }
            continue;
        }
        if (failed(OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_DEFAULT))) {
            std::fprintf(stderr, "statement %d: %s\n", n, text);
            status = 1;
            break;
        }
    }
    if (status == 0 && failed(OCITransCommit(svc, err, OCI_DEFAULT))) {
        std::fprintf(stderr, "commit: %s\n", text);
        status = 1;
    }
    OCIHandleFree(st, OCI_HTYPE_STMT);
    OCISessionEnd(svc, err, ses, OCI_DEFAULT);
    OCIHandleFree(ses, OCI_HTYPE_SESSION);
    OCIHandleFree(svc, OCI_HTYPE_SVCCTX);
    OCIHandleFree(srv, OCI_HTYPE_SERVER);
    OCIHandleFree(err, OCI_HTYPE_ERROR);
    OCIHandleFree(env, OCI_HTYPE_ENV);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "create") {
        std::string error = liteoci::CreateDatabaseFile(args[1]);
        if (!error.empty()) {
            std::fprintf(stderr, "liteoci-admin: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if ((args.size() == 4 || args.size() == 5) && args[0] == "user") {
        bool sysdba = false;
        if (args.size() == 5) {
            if (args[4] != "--sysdba") {
                Usage();
                return 2;
            }
            sysdba = true;
        }
        std::string error = liteoci::SetUser(args[1], args[2], args[3], sysdba);
        if (!error.empty()) {
            std::fprintf(stderr, "liteoci-admin: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (args.size() == 5 && args[0] == "run") return Run(args[1], args[2], args[3], args[4]);
    Usage();
    return 2;
}
