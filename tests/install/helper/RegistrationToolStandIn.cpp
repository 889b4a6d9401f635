// Stands in for the system's registration tool in the registration tests: it appends its arguments
// to the file QUILLAN_TEST_TOOL_LOG (one line per run, the arguments separated by '|') and ends
// with the exit code QUILLAN_TEST_TOOL_EXIT (0 when unset).
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (const char* log = std::getenv("QUILLAN_TEST_TOOL_LOG")) {
        if (std::FILE* out = std::fopen(log, "ab")) {
            for (int i = 1; i < argc; ++i)
                std::fprintf(out, "%s%s", i > 1 ? "|" : "", argv[i]);
            std::fputs("\n", out);
            std::fclose(out);
        }
    }
    const char* code = std::getenv("QUILLAN_TEST_TOOL_EXIT");
    return code != nullptr ? std::atoi(code) : 0;
}
