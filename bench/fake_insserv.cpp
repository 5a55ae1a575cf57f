// The instant insserv of the generated systems: it prints the generated listing
// for "-s" and succeeds at anything else without doing it. Copied
// into a root as its "/sbin/insserv" and "/bin/insserv", it finds the root from
// its own location. Linked statically and free of Qt, so that starting it costs
// as little as a program can.
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

std::string root_of_this_program()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self(path, length > 0 ? size_t(length) : 0);
    for (int level = 0; level < 2; ++level)
        self = self.substr(0, self.rfind('/'));
    return self;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "-s") == 0) {
        FILE *listing = std::fopen((root_of_this_program() + "/bench-insserv/listing").c_str(), "rb");
        if (!listing)
            return 1;
        char buffer[65536];
        size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, listing)) > 0)
            std::fwrite(buffer, 1, count, stdout);
        return 0;
    }
    return 0;
}
