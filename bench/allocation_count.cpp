// Counts the process's allocations by standing in for the C library's
// allocator entry points (glibc exports the real ones under __libc_ names).
// operator new goes through malloc, so C++ allocations are counted as well.

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "bench_support.h"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

std::atomic<std::uint64_t> g_allocations{0};

void counted() { g_allocations.fetch_add(1, std::memory_order_relaxed); }

} // namespace

std::uint64_t tintora::bench::allocationCount() { return g_allocations.load(std::memory_order_relaxed); }

extern "C" {

void* malloc(std::size_t size)
{
    counted();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    counted();
    return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size)
{
    counted();
    return __libc_realloc(p, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    counted();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    counted();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    counted();
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}

} // extern "C"
