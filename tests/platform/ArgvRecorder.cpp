// Stands in for a browser: writes its session id and its arguments after the
// first (NUL-terminated each) into the file named by the first, atomically.
#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    std::string record = std::to_string(getsid(0)) + '\0';
    for (int i = 2; i < argc; ++i)
        record += std::string(argv[i]) + '\0';
    const std::string temporary = std::string(argv[1]) + ".part";
    FILE *file = std::fopen(temporary.c_str(), "wb");
    if (!file || std::fwrite(record.data(), 1, record.size(), file) != record.size() || std::fclose(file) != 0)
        return 1;
    return std::rename(temporary.c_str(), argv[1]) == 0 ? 0 : 1;
}
