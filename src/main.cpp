// Program entry.
#include "BuildInfo.h"
#include <cstdio>

int main(int argc, char** argv)
{
    std::printf("%s %s\n", TOMELARK_PRODUCT_NAME, TOMELARK_VERSION);
    return 0;
}
