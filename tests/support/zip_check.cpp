// SPDX-License-Identifier: MIT
#include "support/zip_check.h"

#include <gtest/gtest.h>

namespace gantrel::test {

void checkZip(const std::filesystem::path& zip)
{
    const TempDir scratch;
    const std::string file = zip.string();
    const std::vector<std::vector<std::string>> readers = {
        {"unzip", "-t", "-q", file},
        {"python3", "-c",
         "import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None", file},
        {"7z", "t", file},
    };
    for (const std::vector<std::string>& reader : readers) {
        const Ended ended = runProgram("/usr/bin/env", reader, scratch.path());
        EXPECT_EQ(ended.status, 0) << reader.front() << " finds fault with " << file << ":\n"
                                   << ended.out << ended.err;
    }
}

Tree unpackedZip(const std::filesystem::path& zip)
{
    checkZip(zip);
    const TempDir scratch;
    const std::string file = zip.string();
    const TempDir unpacked;
    const Ended ended =
        runProgram("/usr/bin/env", {"unzip", "-q", file, "-d", unpacked.str()}, scratch.path());
    EXPECT_EQ(ended.status, 0) << ended.err;
    return tree(unpacked.path());
}

}  // namespace gantrel::test
