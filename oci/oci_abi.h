/* The C interface of the Oracle Call Interface client library, as far as Quarvel uses it.
 *
 * Both sides of the dynamic binding include this file: the program, which looks every entry point up
 * by name at run time and calls it through the pointer types below, and the embedded client, which
 * exports these functions with exactly these prototypes. Values and widths follow the published client
 * headers, so a real client library is a drop-in replacement.
 */
#ifndef QUARVEL_OCI_ABI_H
#define QUARVEL_OCI_ABI_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char ub1;
typedef signed char sb1;
typedef unsigned short ub2;
typedef signed short sb2;
typedef unsigned int ub4;
typedef signed int sb4;
typedef signed int sword;
typedef unsigned char OraText;
typedef unsigned char oratext;

typedef struct OCIEnv OCIEnv;
typedef struct OCIError OCIError;
typedef struct OCISvcCtx OCISvcCtx;
typedef struct OCIStmt OCIStmt;
typedef struct OCIBind OCIBind;
typedef struct OCIDefine OCIDefine;
typedef struct OCIServer OCIServer;
typedef struct OCISession OCISession;
typedef struct OCISnapshot OCISnapshot;
typedef struct OCIParam OCIParam;
typedef struct OCILobLocator OCILobLocator;
typedef struct OCIType OCIType;
typedef struct OCINumber {
    ub1 OCINumberPart[22];
} OCINumber;

/* Return codes */
#define OCI_SUCCESS 0
#define OCI_SUCCESS_WITH_INFO 1
#define OCI_NO_DATA 100
#define OCI_ERROR (-1)
#define OCI_INVALID_HANDLE (-2)
#define OCI_NEED_DATA 99
#define OCI_STILL_EXECUTING (-3123)

/* Modes */
#define OCI_DEFAULT 0x0
#define OCI_THREADED 0x1
#define OCI_OBJECT 0x2
#define OCI_SYSDBA 0x2
#define OCI_SYSOPER 0x4
#define OCI_CRED_RDBMS 1
#define OCI_CRED_EXT 2

/* Handle types */
#define OCI_HTYPE_ENV 1
#define OCI_HTYPE_ERROR 2
#define OCI_HTYPE_SVCCTX 3
#define OCI_HTYPE_STMT 4
#define OCI_HTYPE_BIND 5
#define OCI_HTYPE_DEFINE 6
#define OCI_HTYPE_DESCRIBE 7
#define OCI_HTYPE_SERVER 8
#define OCI_HTYPE_SESSION 9
#define OCI_HTYPE_TRANS 10

/* Descriptor types */
#define OCI_DTYPE_LOB 50
#define OCI_DTYPE_PARAM 53

/* Attributes (numbers are reused across handle types) */
#define OCI_ATTR_DATA_SIZE 1
#define OCI_ATTR_DATA_TYPE 2
#define OCI_ATTR_NAME 4
#define OCI_ATTR_PRECISION 5
#define OCI_ATTR_SCALE 6
#define OCI_ATTR_SERVER 6
#define OCI_ATTR_IS_NULL 7
#define OCI_ATTR_SESSION 7
#define OCI_ATTR_ROW_COUNT 9
#define OCI_ATTR_PREFETCH_ROWS 11
#define OCI_ATTR_PREFETCH_MEMORY 13
#define OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE 438
#define OCI_ATTR_PARAM_COUNT 18
#define OCI_ATTR_USERNAME 22
#define OCI_ATTR_PASSWORD 23
#define OCI_ATTR_STMT_TYPE 24
#define OCI_ATTR_PARSE_ERROR_OFFSET 129
#define OCI_ATTR_ROWS_FETCHED 197

/* Syntax, execute modes, fetch orientation */
#define OCI_NTV_SYNTAX 1
#define OCI_BATCH_MODE 0x1
#define OCI_EXACT_FETCH 0x2
#define OCI_DESCRIBE_ONLY 0x10
#define OCI_COMMIT_ON_SUCCESS 0x20
#define OCI_PARSE_ONLY 0x100
#define OCI_FETCH_NEXT 0x2

#define OCI_ERROR_MAXMSG_SIZE 1024

/* Statement types */
#define OCI_STMT_UNKNOWN 0
#define OCI_STMT_SELECT 1
#define OCI_STMT_UPDATE 2
#define OCI_STMT_DELETE 3
#define OCI_STMT_INSERT 4
#define OCI_STMT_CREATE 5
#define OCI_STMT_DROP 6
#define OCI_STMT_ALTER 7
#define OCI_STMT_BEGIN 8
#define OCI_STMT_DECLARE 9
#define OCI_STMT_CALL 10
#define OCI_STMT_MERGE 16

/* External data types */
#define SQLT_CHR 1
#define SQLT_NUM 2
#define SQLT_INT 3
#define SQLT_FLT 4
#define SQLT_STR 5
#define SQLT_VNU 6
#define SQLT_LNG 8
#define SQLT_VCS 9
#define SQLT_RID 11
#define SQLT_DAT 12
#define SQLT_VBI 15
#define SQLT_BIN 23
#define SQLT_LBI 24
#define SQLT_UIN 68
#define SQLT_LVC 94
#define SQLT_LVB 95
#define SQLT_AFC 96
#define SQLT_AVC 97
#define SQLT_IBFLOAT 100
#define SQLT_IBDOUBLE 101
#define SQLT_RDD 104
#define SQLT_NTY 108
#define SQLT_REF 110
#define SQLT_CLOB 112
#define SQLT_BLOB 113
#define SQLT_BFILE 114
#define SQLT_FILE 114
#define SQLT_VST 155
#define SQLT_ODT 156
#define SQLT_DATE 184
#define SQLT_TIMESTAMP 187
#define SQLT_TIMESTAMP_TZ 188
#define SQLT_INTERVAL_YM 189
#define SQLT_INTERVAL_DS 190
#define SQLT_TIMESTAMP_LTZ 232

typedef void *(*OCIMallocFn)(void *ctxp, size_t size);
typedef void *(*OCIReallocFn)(void *ctxp, void *memptr, size_t newsize);
typedef void (*OCIFreeFn)(void *ctxp, void *memptr);

/* Pointer types of the entry points, in the shape the loader binds them. */
typedef sword (*OCIInitialize_t)(ub4 mode, void *ctxp, OCIMallocFn malocfp, OCIReallocFn ralocfp,
                                 OCIFreeFn mfreefp);
typedef sword (*OCIEnvInit_t)(OCIEnv **envp, ub4 mode, size_t xtramem_sz, void **usrmempp);
typedef sword (*OCIEnvCreate_t)(OCIEnv **envp, ub4 mode, void *ctxp, OCIMallocFn malocfp,
                                OCIReallocFn ralocfp, OCIFreeFn mfreefp, size_t xtramem_sz,
                                void **usrmempp);
typedef sword (*OCIHandleAlloc_t)(const void *parenth, void **hndlpp, const ub4 type,
                                  const size_t xtramem_sz, void **usrmempp);
typedef sword (*OCIHandleFree_t)(void *hndlp, const ub4 type);
typedef sword (*OCIServerAttach_t)(OCIServer *srvhp, OCIError *errhp, const OraText *dblink,
                                   sb4 dblink_len, ub4 mode);
typedef sword (*OCIServerDetach_t)(OCIServer *srvhp, OCIError *errhp, ub4 mode);
typedef sword (*OCIAttrSet_t)(void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 size,
                              ub4 attrtype, OCIError *errhp);
typedef sword (*OCIAttrGet_t)(const void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 *sizep,
                              ub4 attrtype, OCIError *errhp);
typedef sword (*OCISessionBegin_t)(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 credt,
                                   ub4 mode);
typedef sword (*OCISessionEnd_t)(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 mode);
typedef sword (*OCIErrorGet_t)(void *hndlp, ub4 recordno, OraText *sqlstate, sb4 *errcodep,
                               OraText *bufp, ub4 bufsiz, ub4 type);
typedef sword (*OCIBreak_t)(void *hndlp, OCIError *errhp);
typedef sword (*OCIReset_t)(void *hndlp, OCIError *errhp);
typedef sword (*OCIStmtPrepare_t)(OCIStmt *stmtp, OCIError *errhp, const OraText *stmt,
                                  ub4 stmt_len, ub4 language, ub4 mode);
typedef sword (*OCIStmtExecute_t)(OCISvcCtx *svchp, OCIStmt *stmtp, OCIError *errhp, ub4 iters,
                                  ub4 rowoff, const OCISnapshot *snap_in, OCISnapshot *snap_out,
                                  ub4 mode);
typedef sword (*OCIStmtFetch_t)(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation,
                                ub4 mode);
typedef sword (*OCIStmtFetch2_t)(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation,
                                 sb4 scrollOffset, ub4 mode);
typedef sword (*OCIBindByPos_t)(OCIStmt *stmtp, OCIBind **bindp, OCIError *errhp, ub4 position,
                                void *valuep, sb4 value_sz, ub2 dty, void *indp, ub2 *alenp,
                                ub2 *rcodep, ub4 maxarr_len, ub4 *curelep, ub4 mode);
typedef sword (*OCIDefineByPos_t)(OCIStmt *stmtp, OCIDefine **defnp, OCIError *errhp,
                                  ub4 position, void *valuep, sb4 value_sz, ub2 dty, void *indp,
                                  ub2 *rlenp, ub2 *rcodep, ub4 mode);
typedef sword (*OCIParamGet_t)(const void *hndlp, ub4 htype, OCIError *errhp, void **parmdpp,
                               ub4 pos);
typedef sword (*OCIDescriptorAlloc_t)(const void *parenth, void **descpp, const ub4 type,
                                      const size_t xtramem_sz, void **usrmempp);
typedef sword (*OCIDescriptorFree_t)(void *descp, const ub4 type);
typedef sword (*OCITransCommit_t)(OCISvcCtx *svchp, OCIError *errhp, ub4 flags);
typedef sword (*OCITransRollback_t)(OCISvcCtx *svchp, OCIError *errhp, ub4 flags);
typedef sword (*OCINumberToText_t)(OCIError *err, const OCINumber *number, const oratext *fmt,
                                   ub4 fmt_length, const oratext *nls_params, ub4 nls_p_length,
                                   ub4 *buf_size, oratext *buf);
typedef sword (*OCIDefineObject_t)(OCIDefine *defnp, OCIError *errhp, const OCIType *type,
                                   void **pgvpp, ub4 *pvszsp, void **indpp, ub4 *indszp);
/* LOB reads (Oracle Call Interface Programmer's Guide, LOB functions). */
#define SQLCS_IMPLICIT 1
#define OCI_ONE_PIECE 0
#define OCI_FIRST_PIECE 1
#define OCI_NEXT_PIECE 2
#define OCI_LAST_PIECE 3
#define SQLCS_NCHAR 2
#define OCI_UTF8ID 871
#define OCI_AL32UTF8ID 873
typedef sb4 (*OCICallbackLobRead)(void *ctxp, const void *bufp, ub4 len, ub1 piece);
typedef sword (*OCILobGetLength_t)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *lenp);
typedef sword (*OCILobRead_t)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amtp,
                              ub4 offset, void *bufp, ub4 bufl, void *ctxp, OCICallbackLobRead cbfp,
                              ub2 csid, ub1 csfrm);
typedef sword (*OCILobCharSetForm_t)(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp,
                                     ub1 *csfrm);
typedef sword (*OCILobOpen_t)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub1 mode);
typedef sword (*OCILobClose_t)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp);
typedef void (*OCIClientVersion_t)(sword *major_version, sword *minor_version,
                                   sword *update_num, sword *patch_num, sword *port_update_num);

#ifdef __cplusplus
}
#endif

#endif /* QUARVEL_OCI_ABI_H */
