#include <cstdio>
#include <string>

#include "app/Application.h"

int main(int argc, char** argv)
{
    Tapp_options options;
    std::string error;
    if (!parse_options(argc, argv, &options, &error)) {
        std::fprintf(stderr, "lumo2: %s\n%s", error.c_str(), usage_text());
        return 2;
    }
    if (options.help) {
        std::fputs(usage_text(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(version_text(), stdout);
        return 0;
    }
    return run_application(argc, argv, options);
}
