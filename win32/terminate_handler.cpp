// GCC's runtime installs a terminate handler that demangles the type of an uncaught
// exception and prints it to standard error before aborting. This windowed program
// has no standard error, and the demangler behind that handler is about a quarter of
// the executable. Defining the handler here keeps the runtime's own one, and with it
// the demangler, out of the link; an uncaught exception still ends in abort().

#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
