/* A client library that has only one of the entry points the program needs. */
int OCIInitialize(unsigned int mode, void* ctx, void* a, void* b, void* c) {
    (void)mode; (void)ctx; (void)a; (void)b; (void)c;
    return 0;
}
