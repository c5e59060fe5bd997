#pragma once

// Asks for the cache lines of [from, to) ahead of use. A pass over thousands of scattered
// objects rarely finds them in cache; many requests on the way at once hide most of the wait.
inline void prefetchRange(const void* from, const void* to)
{
    const char* line = static_cast<const char*>(from);
    const char* end = static_cast<const char*>(to);
    if (end <= line) return;
    for (; line < end; line += 64) {
        __builtin_prefetch(line);
        asm volatile(""); // a loop that only prefetches is otherwise dropped as doing nothing
    }
    __builtin_prefetch(end - 1); // the last line, wherever the first began
}
