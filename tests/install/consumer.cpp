// A C++ program built against an installed PelundLib through find_package.
#include <pelund/pelund.h>

#include <cstdio>
#include <string>

int main()
{
    const char data[] = "123456789";
    uint32_t crc = psMath_calcCRC32(0, data, 9);
    if (crc != 0xCBF43926u)
        return 1;
    char out[64];
    if (vnFile_quotePathA(out, "C:\\Program Files\\x", 1) != 0 || std::string(out) != "C:\\\"Program Files\"\\x")
        return 2;
    std::printf("C++ consumer: crc %08x, %s\n", unsigned(crc), out);
    return 0;
}
