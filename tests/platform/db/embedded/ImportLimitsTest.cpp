// What the file-reading statements must refuse or survive: names that lead to no regular file,
// content that must not reach an error text, and documents large enough to show the import's order.
#include "EngineFixture.h"

#include "platform/db/embedded/WorkbookCheck.h"

#include <malloc.h>
#include <sys/stat.h>

#include <chrono>

namespace quillan::db::test {

namespace {

using quillan::test::writeFile;

class ImportLimits : public EngineTest {
protected:
    std::string setupRow(int i, const std::string& version) {
        return "<SetupDetails><File_Names>f" + std::to_string(i) + ".exe</File_Names><VersionNo>" + version +
               "</VersionNo><UploadFileSize>" + std::to_string(i) + "</UploadFileSize></SetupDetails>";
    }
    std::string document(int from, int to, const std::string& last = "") {
        std::string xml = "<NewDataSet>";
        for (int i = from; i < to; ++i)
            xml += setupRow(i, "3");
        return xml + last + "</NewDataSet>";
    }
};

TEST_F(ImportLimits, XmlImportOfManyRowsIsLinearAndAllOrNothing) {
    const auto start = std::chrono::steady_clock::now();
    conn->execute("EXEC [Tervik].dbo.Proc_ImpSetupDetails " + sqlQuote(document(0, 20000)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 20000);
    // The same rows again replace themselves; a bad last row takes back the whole document.
    conn->execute("EXEC [Tervik].dbo.Proc_ImpSetupDetails " + sqlQuote(document(0, 1000)));
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 20000);
    EXPECT_NE(failure("EXEC [Tervik].dbo.Proc_ImpSetupDetails " +
                      sqlQuote(document(20000, 21000, setupRow(21000, "three")))),
              "<no error>");
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 20000);
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails WHERE File_Names = 'f999.exe' AND UploadFileSize = 999"), 1);
}

TEST_F(ImportLimits, FileStatementsReadOnlyRegularFiles) {
    writeFile(dir / "rows.txt", "a.exe\tApp.Path\t\t\t1\t0\t0\t1\t1\t0\tEXE\t0\n");
    writeFile(dir / "doc.xml", document(0, 2));
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink(dir / "pipe", dir / "link-to-pipe");
    std::filesystem::create_symlink(dir / "rows.txt", dir / "link-to-rows");
    const auto bulk = [](const std::string& file) {
        return "BULK INSERT [Tervik].dbo.SetupDetails FROM " + sqlQuote(file) +
               " WITH (FIELDTERMINATOR = '\t')";
    };
    const auto sheet = [](const std::string& file) {
        return "INSERT INTO [Tervik].dbo.SetupDetails (File_Names) SELECT File_Names FROM "
               "OPENROWSET('Microsoft.Jet.OLEDB.4.0', " +
               sqlQuote("Excel 8.0;Database=" + file) + ", [Sheet1$])";
    };
    const auto xml = [](const std::string& file) {
        return "EXEC [Tervik].dbo.Proc_ImpSetupDetails " + sqlQuote(file);
    };
    for (const std::string file : {"C:\\pipe", "C:\\link-to-pipe", "C:\\folder", "/dev/zero"}) {
        for (const auto& sql : {bulk(file), sheet(file), xml(file)}) {
            const auto start = std::chrono::steady_clock::now();
            EXPECT_NE(failure(sql).find("not a regular file"), std::string::npos) << sql;
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << sql;
        }
    }
    EXPECT_NE(failure(bulk("C:\\missing.txt")).find("could not be opened"), std::string::npos);
    EXPECT_NE(failure(sheet("C:\\missing.xls")).find("cannot be opened"), std::string::npos);
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 0);
    conn->execute(bulk("C:\\link-to-rows")); // a link to a regular file is that file
    conn->execute(xml("C:\\doc.xml"));
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 3);
}

TEST_F(ImportLimits, FailedOpenRowsetFreesTheWorkbookReader) {
#ifndef __GLIBC__
    GTEST_SKIP() << "the heap in use is read with glibc's mallinfo2";
#else
    // freexl allocates its reader (some 64 KB) before it finds that a file cannot be read.
    writeFile(dir / "not-a-workbook.xls", "plain text");
    for (const char* file : {"C:\\missing.xls", "C:\\not-a-workbook.xls"}) {
        const std::string sql = "INSERT INTO [Tervik].dbo.SetupDetails (File_Names) SELECT File_Names FROM "
                                "OPENROWSET('Microsoft.Jet.OLEDB.4.0', 'Excel 8.0;Database=" +
                                std::string(file) + "', [Sheet1$])";
        for (int i = 0; i < 5; ++i)
            failure(sql); // the first runs fill the translation cache and SQLite's page cache
        const std::size_t before = mallinfo2().uordblks;
        for (int i = 0; i < 100; ++i)
            EXPECT_NE(failure(sql).find("OPENROWSET"), std::string::npos);
        const std::size_t after = mallinfo2().uordblks;
        EXPECT_LT(after, before + (1u << 20)) << file;
    }
#endif
}

// freexl finishes a shared string from the one record after its start: a longer text would be
// misread, so the workbook is refused with the reason; a long text within that loads whole.
TEST_F(ImportLimits, AWorkbookTextTheReaderWouldMisreadIsRefusedAndALongOneLoadsWhole) {
    writeFile(dir / "make.py", "import sys, xlwt\n"
                               "wb = xlwt.Workbook(); ws = wb.add_sheet('Sheet1')\n"
                               "ws.write(0, 0, 'Name'); ws.write(1, 0, sys.argv[2] * int(sys.argv[3]))\n"
                               "ws.write(2, 0, 'after'); wb.save(sys.argv[1])\n");
    conn->execute("CREATE TABLE [Tervik].dbo.Texts (Name VARCHAR(8000))");
    const std::string load = "INSERT INTO [Tervik].dbo.Texts (Name) SELECT Name FROM OPENROWSET("
                             "'Microsoft.Jet.OLEDB.4.0', 'Excel 8.0;Database=C:\\long.xls', [Sheet1$])";
    struct Case {
        const char* character;
        int times;
        bool readable;
    };
    for (const Case& k : {Case{"n", 8000, true}, Case{"\u8a9e", 4000, true}, Case{"n", 20000, false},
                          Case{"\u8a9e", 9000, false}, Case{"\u8a9e", 30000, false}}) {
        SCOPED_TRACE(std::to_string(k.times) + " times " + k.character);
        conn->execute("DELETE FROM [Tervik].dbo.Texts");
        ASSERT_EQ(
            std::system(("/usr/bin/python3 '" + (dir / "make.py").string() + "' '" +
                         (dir / "long.xls").string() + "' '" + k.character + "' " + std::to_string(k.times))
                            .c_str()),
            0);
        if (!k.readable) {
            EXPECT_NE(failure(load).find("runs over more than two records"), std::string::npos)
                << failure(load);
            EXPECT_EQ(count("[Tervik].dbo.Texts"), 0);
            continue;
        }
        conn->execute(load);
        std::string expected;
        for (int i = 0; i < k.times; ++i)
            expected += k.character;
        EXPECT_EQ(count("[Tervik].dbo.Texts WHERE Name = 'after'"), 1);
        EXPECT_EQ(count("[Tervik].dbo.Texts WHERE Name = " + sqlQuote(expected)), 1);
    }
}

// Workbooks that say more of themselves than they hold: one byte inserted in the container's header
// (freexl read past a buffer on its stack), a stream size of 4 GB, a sheet of 65,536 x 256 cells, a
// format text longer than its record. Each is refused by name before freexl sees it, and nothing is
// loaded.
TEST_F(ImportLimits, AWorkbookThatOverstatesItselfIsRefusedBeforeTheReaderSeesIt) {
    writeFile(dir / "make.py",
              "import struct, sys, xlwt\n"
              "wb = xlwt.Workbook(); ws = wb.add_sheet('Sheet1')\n"
              "ws.write(0, 0, 'Name'); ws.write(1, 0, 'a.exe')\n"
              "ws.write(1, 1, 1.5, xlwt.easyxf(num_format_str='0.000'))\n"
              "wb.save(sys.argv[1] + '/sound.xls')\n"
              "good = open(sys.argv[1] + '/sound.xls', 'rb').read()\n"
              "def patched(name, at, value):\n"
              "    b = bytearray(good); b[at:at + len(value)] = value\n"
              "    open(sys.argv[1] + '/' + name, 'wb').write(bytes(b))\n"
              "open(sys.argv[1] + '/shifted.xls', 'wb').write(good[:83] + b'\\0' + good[83:])\n"
              "entries = (struct.unpack_from('<I', good, 0x30)[0] + 1) * 512\n"
              "for e in range(entries, entries + 512, 128):\n"
              "    if good[e:e + 16] == 'Workbook'.encode('utf-16-le'):\n"
              "        patched('size.xls', e + 120, struct.pack('<I', 0xFFFFFFF0))\n"
              "dim = good.index(b'\\x00\\x02\\x0e\\x00')\n"
              "patched('cells.xls', dim + 8, struct.pack('<IHH', 65536, 0, 256))\n"
              "fmt = good.index(b'\\x1e\\x04')\n"
              "patched('format.xls', fmt + 6, struct.pack('<H', 0x4000))\n");
    ASSERT_EQ(
        std::system(("/usr/bin/python3 '" + (dir / "make.py").string() + "' '" + dir.string() + "'").c_str()),
        0);
    conn->execute("CREATE TABLE [Tervik].dbo.Names (Name VARCHAR(100))");
    const auto load = [](const std::string& file) {
        return "INSERT INTO [Tervik].dbo.Names (Name) SELECT Name FROM OPENROWSET('Microsoft.Jet.OLEDB.4.0', "
               "'Excel 8.0;Database=C:\\" +
               file + "', [Sheet1$])";
    };
    conn->execute(load("sound.xls"));
    EXPECT_EQ(count("[Tervik].dbo.Names WHERE Name = 'a.exe'"), 1);
    for (const auto& [file, why] : std::vector<std::pair<std::string, std::string>>{
             {"shifted.xls", "it is not an Excel 97 workbook"},
             {"size.xls", "it is not an Excel 97 workbook"},
             {"cells.xls", "its sheets declare more than 4194304 cells"},
             {"format.xls", "ends before its format text"}}) {
        SCOPED_TRACE(file);
        const std::string error = failure(load(file));
        EXPECT_EQ(error.find("OPENROWSET: the workbook 'C:\\" + file + "' cannot be read: "), 0u) << error;
        EXPECT_NE(error.find(why), std::string::npos) << error;
    }
    EXPECT_EQ(count("[Tervik].dbo.Names"), 1);

    // A sheet sized twice: the reader would size it again and lose the first cells it made.
    const auto record = [](unsigned type, std::string body) {
        return std::string{static_cast<char>(type & 0xFF), static_cast<char>(type >> 8),
                           static_cast<char>(body.size()), 0} +
               body;
    };
    const std::string bof = record(0x0809, std::string("\x00\x06\x10\x00", 4) + std::string(12, '\0'));
    const std::string dimension = record(0x0200, std::string("\0\0\0\0\x02\0\0\0\0\0\x02\0\0\0", 14));
    const std::string eof = record(0x000A, "");
    EXPECT_EQ(embedded::unreadableWorkbookStream(bof + dimension + eof + bof + dimension + eof),
              std::nullopt);
    const auto twice = embedded::unreadableWorkbookStream(bof + dimension + dimension + eof);
    ASSERT_TRUE(twice.has_value());
    EXPECT_NE(twice->find("record 3 (type 0x0200) declares the size of its sheet a second time"),
              std::string::npos)
        << *twice;
    // A listed sheet without a size of its own: the reader would re-size another sheet instead.
    const auto sheet = [&](std::size_t at) {
        return record(0x0085, std::string{static_cast<char>(at), 0, 0, 0, 0, 0, 2, 0} + "S1");
    };
    const std::string globals = bof + sheet(bof.size() + sheet(0).size() + eof.size()) + eof;
    EXPECT_EQ(embedded::unreadableWorkbookStream(globals + bof + dimension + eof), std::nullopt);
    EXPECT_EQ(embedded::unreadableWorkbookStream(globals + bof + eof), "sheet 1 has no size of its own");
    // Cells the reader cannot place or places twice: it would lose the text they made.
    const std::string number = record(0x0203, std::string(14, '\0'));
    EXPECT_EQ(embedded::unreadableWorkbookStream(globals + bof + dimension + number + eof), std::nullopt);
    EXPECT_EQ(embedded::unreadableWorkbookStream(globals + bof + dimension + number + number + eof),
              "record 7 (type 0x0203) writes a cell written before");
    EXPECT_EQ(embedded::unreadableWorkbookStream(bof + number + sheet(0) + eof),
              "record 2 (type 0x0203) writes a cell outside the size of a listed sheet");
}

TEST_F(ImportLimits, ConversionErrorsNameRowAndColumnButNotTheContent) {
    writeFile(dir / "secret.txt", "a.exe\tApp.Path\t\t\t1\t0\t0\t1\t1\t0\tEXE\t0\n"
                                  "b.exe\tApp.Path\t\t\t1\t0\t0\troot:$6$hash\t1\t0\tEXE\t0\n");
    const std::string what =
        failure("BULK INSERT [Tervik].dbo.SetupDetails FROM 'C:\\secret.txt' WITH (FIELDTERMINATOR = '\t')");
    EXPECT_NE(what.find("row 2"), std::string::npos) << what;
    EXPECT_NE(what.find("VersionNo"), std::string::npos) << what;
    EXPECT_EQ(what.find("root"), std::string::npos) << what;
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 0);
}

} // namespace

} // namespace quillan::db::test
