#include "allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t g_allocations = 0;
} // namespace

namespace nowplaying::testing {

std::size_t AllocationCount()
{
    return g_allocations;
}

} // namespace nowplaying::testing

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return ::operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
