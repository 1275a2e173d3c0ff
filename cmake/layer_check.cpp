// The program of a layer check (CMakeLists.txt): everything it needs comes
// from the library linked whole into it.
int main() { return 0; }
