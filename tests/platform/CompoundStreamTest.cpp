#include "platform/CompoundStream.h"
#include "platform/CompoundStreamWriter.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

// A stream past the container's small-block limit (4 KB), written in pieces over an older file of
// the same name, reads back byte for byte in other pieces; no temporary file is left.
TEST(CompoundStreamWriter, WritesAStreamThatReadsBackAndReplacesTheFile) {
    TempDir dir;
    const auto file = dir / "copy.xls";
    writeFile(file, "an older file");
    std::string bytes;
    for (std::size_t i = 0; i < 70000; ++i)
        bytes += static_cast<char>((i * 7 + i / 251) & 0xFF);
    {
        const auto writer = createCompoundStream(file, "Workbook");
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->write(std::string_view(bytes).substr(0, 3)));
        ASSERT_TRUE(writer->write(std::string_view(bytes).substr(3, 40000)));
        ASSERT_TRUE(writer->write(std::string_view(bytes).substr(40003)));
        ASSERT_TRUE(writer->commit());
    }
    EXPECT_FALSE(fs::exists(compoundStreamPartName(file)));
    EXPECT_EQ(openCompoundStream(file, "Other"), nullptr);

    const auto stream = openCompoundStream(file, "Workbook");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->size(), bytes.size());
    std::string read, piece;
    while (read.size() < bytes.size() &&
           stream->read(std::min<std::size_t>(4099, bytes.size() - read.size()), piece))
        read += piece;
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(stream->read(1, piece)); // the stream has ended
}

// A writer given up before its commit leaves neither a half container nor its temporary file, and
// the file already under the final name stays as it was.
TEST(CompoundStreamWriter, AbandonedWriterLeavesNothingBehind) {
    TempDir dir;
    const auto file = dir / "copy.xls";
    writeFile(file, "kept");
    {
        const auto writer = createCompoundStream(file, "Workbook");
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->write(std::string(9000, 'x')));
    }
    EXPECT_EQ(readFile(file), "kept");
    EXPECT_FALSE(fs::exists(compoundStreamPartName(file)));
    EXPECT_EQ(createCompoundStream(dir / "missing" / "copy.xls", "Workbook"), nullptr);
}

#ifndef _WIN32
// A container whose root entry has a sibling (no sound file has one) is refused before libgsf,
// which would read the sibling and lose it, sees it.
TEST(CompoundStream, AContainerWhoseRootHasASiblingIsRefused) {
    TempDir dir;
    const auto file = dir / "copy.xls";
    {
        const auto writer = createCompoundStream(file, "Workbook");
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->write(std::string(5000, 'x')));
        ASSERT_TRUE(writer->commit());
    }
    ASSERT_NE(openCompoundStream(file, "Workbook"), nullptr);
    std::string bytes = readFile(file);
    const auto byte = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at]));
    };
    const std::size_t directory = byte(0x30) | byte(0x31) << 8 | byte(0x32) << 16;
    // The third entry becomes a copy of the stream's entry and the root's right sibling.
    const std::size_t root = (directory + 1) * 512;
    bytes.replace(root + 256, 128, bytes.substr(root + 128, 128));
    bytes.replace(root + 0x48, 4, std::string("\x02\0\0\0", 4));
    writeFile(file, bytes);
    EXPECT_EQ(openCompoundStream(file, "Workbook"), nullptr);
}
#endif
