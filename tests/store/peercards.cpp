// Cards the store tests read and write, kept for the peer check when FESTIVO_PEER_CARDS names a folder.
#include "tests/store/peercards.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

} // namespace

void KeepForPeers(const std::string& read, const std::string* written)
{
    const char* folder = getenv("FESTIVO_PEER_CARDS");
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!folder || !*folder || !test)
        return;
    static int count = 0;
    std::string stem = std::string(folder) + "\\" + test->test_suite_name() + "." + test->name() + "-" +
                       std::to_string(++count);
    if (!written)
        Write(stem + ".book.vcf", read);
    else
    {
        Write(stem + ".before.vcf", read);
        Write(stem + ".after.vcf", *written);
    }
}
