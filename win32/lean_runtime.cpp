// The parts of GCC's C++ runtime that this program would link without needing them.
// It catches no exception anywhere, so whatever the runtime would throw ends the
// process through std::terminate() and abort(); these definitions take that path
// directly and keep the machinery behind the runtime's own versions out of the link.
// Should the program ever catch a standard library error, this file has to go.

#include <cstdlib>
#include <exception>
#include <stdexcept>

// The runtime's terminate handler demangles the uncaught exception's type and prints
// it to standard error, which this windowed program does not have; the demangler is
// about 45 KiB.
namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx

// The library's error helpers (every one that the runtime defines together in one
// object, so that none of its versions is linked): each builds a standard exception
// whose message is a reference-counted string, which links both of the runtime's
// string implementations, about 85 KiB in all.
namespace std {

void __throw_bad_exception()
{
    abort();
}
void __throw_bad_alloc()
{
    abort();
}
void __throw_bad_array_new_length()
{
    abort();
}
void __throw_bad_cast()
{
    abort();
}
void __throw_bad_typeid()
{
    abort();
}
void __throw_logic_error(const char*)
{
    abort();
}
void __throw_domain_error(const char*)
{
    abort();
}
void __throw_invalid_argument(const char*)
{
    abort();
}
void __throw_length_error(const char*)
{
    abort();
}
void __throw_out_of_range(const char*)
{
    abort();
}
void __throw_out_of_range_fmt(const char*, ...)
{
    abort();
}
void __throw_runtime_error(const char*)
{
    abort();
}
void __throw_range_error(const char*)
{
    abort();
}
void __throw_overflow_error(const char*)
{
    abort();
}
void __throw_underflow_error(const char*)
{
    abort();
}

} // namespace std
