// The smallest program of a Windows target. scripts/windows-check.sh runs it
// under Wine before a target's Wine stage: whether this machine can run that
// target's programs is found by trying, not guessed from the architecture.
#include <cstdio>

int main() {
    std::puts("sarnovellite wine probe ran");
    return 0;
}
