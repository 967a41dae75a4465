#pragma once

// Marks a hot detector loop to be compiled twice on 64-bit Linux: once for
// AVX2 and once for the baseline instruction set. The loader picks the clone
// for the running processor once, when the library starts; a call then costs
// one indirect jump. Both clones do the same float operations in the same
// order, so they give the same bits. Elsewhere (32-bit builds, Windows,
// sanitizer builds) there is one baseline function.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
#define SARNOVELLITE_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SARNOVELLITE_WIDE_CLONES
#endif
