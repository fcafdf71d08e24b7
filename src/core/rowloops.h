#pragma once

// A loop over a row's pixels compiled twice on x86-64, for AVX2 and for any processor, the one to run chosen
// when the program starts (the machine's own, through glibc's ifunc): twice the pixels an instruction where the
// processor has it, and the same results either way. Elsewhere, and for sanitizer builds, compiled once.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define TESSALINE_ROW_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define TESSALINE_ROW_LOOP
#endif
