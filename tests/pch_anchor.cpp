// Anchor of the test programs' precompiled headers: CMake builds them with this empty program.
int main() { return 0; }
