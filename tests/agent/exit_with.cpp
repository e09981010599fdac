// Stand-in program for the LC_EXEC tests: exits with the number given as its first argument,
// or with 100 when it gets no argument at all.
#include <cstdlib>

int main(int argc, char** argv) { return argc < 2 ? 100 : std::atoi(argv[1]); }
