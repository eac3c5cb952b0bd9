// The server greeting as a server might send it, whatever it holds: the
// version and the reported address are read without reading or writing
// past their buffers.
#include "server/transport.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string greeting(reinterpret_cast<const char*>(data), std::min<size_t>(size, 1023));
    char address[256 + 8];
    std::memset(address, 0x5a, sizeof address);
    char error[512];
    int version = -1;
    pelund::parseGreeting(greeting.c_str(), &version, address, error, sizeof error, nullptr);
    for (size_t k = 256; k < sizeof address; ++k)
        if (address[k] != 0x5a)
            std::abort();  // written past the 256 bytes of the address
    if (version < 0)
        std::abort();
    return 0;
}
