// dfm: converts component streams between text form and binary form.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    if (argc < 2) {
        std::fprintf(stderr, "usage: dfm tobinary [--edition] IN OUT | dfm totext IN\n");
        return 2;
    }
    std::fprintf(stderr, "dfm: not built yet\n");
    return 1;
}
