#pragma once

// For loops the compiler vectorises: an AVX2 copy of the function next to the
// plain x86-64 one, and the program loader picks the copy this CPU runs. Only
// where the loader can choose (ELF on x86-64); elsewhere the plain copy alone.
// GCC only: clang (14) gives the clones' dispatcher a name that callers in
// other files, which see the plain declaration, never link to.
// Not in sanitizer builds either: the loader runs the clones' resolver before
// a sanitizer's runtime is up, and the ThreadSanitizer build crashed there.
#if defined(__x86_64__) && defined(__ELF__) && defined(__has_attribute) && ! defined(__clang__) \
    && ! defined(__SANITIZE_THREAD__) && ! defined(__SANITIZE_ADDRESS__)
 #if __has_attribute(target_clones)
  #define PLUMORA_VECTOR_CLONES __attribute__ ((target_clones ("avx2", "default")))
 #endif
#endif

#ifndef PLUMORA_VECTOR_CLONES
 #define PLUMORA_VECTOR_CLONES
#endif
