#include <cstdio>

int main() {
    std::fputs("Quorvel status: invalidRecord\n", stderr);
    return 1;
}
