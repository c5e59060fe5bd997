#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

// Counts every operator new in the program that includes this (once), to show that a steady
// frame allocates nothing.
inline std::atomic<long> allocations{0};

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
