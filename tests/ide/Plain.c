/* A DLL that is no package: the tests doctor copies of it. */
__declspec(dllexport) int IdeTestPlain(void) { return 1; }
