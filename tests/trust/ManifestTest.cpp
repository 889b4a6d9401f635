// The trust library: streamed digests, the manifest's strict text, its signature against the
// trusted keys, and the list of trusted keys.
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"
#include "trust/Keys.h"
#include "trust/SignedManifest.h"
#include "trust/TrustedKeys.h"
#include "trust/UtcTime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillan::test {
namespace {

using ::testing::HasSubstr;
using trust::ManifestError;

trust::Manifest release8() {
    trust::Manifest m;
    m.version = 8;
    m.issued = *trust::parseUtc("2026-12-07T19:00:00Z");
    m.expires = m.issued + 30 * 86400;
    // Given out of order: the text lists them by name.
    m.files = {{"SETUPDETAILS_000008.xml", {12, std::string(64, 'b')}},
               {"Release8.zip", {3, std::string(64, 'a')}}};
    return m;
}

TEST(Digest, StreamsAFileOfManyBlocksToTheDigestOfItsBytes) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; bytes.size() < 300'000; ++i)
        bytes += std::to_string(i * 7919) + ",";
    writeFile(dir.path() / "big", bytes);
    trust::Sha256 whole;
    whole.update(bytes);
    const auto d = trust::digestOfFile(dir.path() / "big");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->size, bytes.size());
    EXPECT_EQ(d->sha256, whole.finishHex());
    trust::Sha256 abc; // FIPS 180-2's example
    abc.update("abc");
    EXPECT_EQ(abc.finishHex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_FALSE(trust::digestOfFile(dir.path() / "missing"));
}

TEST(UtcTime, ReadsOnlyTheOneFormWithARealDateAndTime) {
    EXPECT_EQ(trust::formatUtc(*trust::parseUtc("2028-02-29T23:59:59Z")), "2028-02-29T23:59:59Z");
    EXPECT_EQ(*trust::parseUtc("1970-01-02T00:00:00Z"), 86400);
    for (const char* bad : {"2027-02-29T00:00:00Z", "2026-12-07 19:00:00Z", "2026-12-07T24:00:00Z",
                            "2026-12-07T19:00:00", "2026-13-01T00:00:00Z", "+026-12-07T19:00:00Z"})
        EXPECT_FALSE(trust::parseUtc(bad)) << bad;
}

TEST(Manifest, TextIsOrderedByNameAndReadsBackAsWritten) {
    const std::string text = trust::manifestText(release8());
    EXPECT_THAT(text, HasSubstr("distributor *\nissued 2026-12-07T19:00:00Z\nexpires 2027-01-06T19:00:00Z\n"
                                "file 3 " +
                                std::string(64, 'a') + " Release8.zip\nfile 12 "));
    const auto m = trust::parseManifestText(text);
    EXPECT_EQ(trust::manifestText(m), text);
    ASSERT_TRUE(m.find("release8.ZIP"));
    EXPECT_EQ(m.find("release8.ZIP")->digest.size, 3u);
    EXPECT_FALSE(m.find("Release9.zip"));
}

TEST(Manifest, RefusesEveryTextOutsideTheStrictForm) {
    const std::string good = trust::manifestText(release8());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::string fileA = "file 3 " + std::string(64, 'a') + " Release8.zip\n";
    for (const std::string& bad :
         {good.substr(0, good.size() - 1), replaced("version 8", "version 08"),
          replaced("version 8", "version 0"), replaced("version 8", "version  8"),
          replaced("manifest 1", "manifest 2"), replaced("distributor *", "distributor A B"),
          replaced("expires 2027-01-06", "expires 2026-01-06"), replaced("file 3 ", "file -3 "),
          replaced(std::string(64, 'a'), std::string(64, 'A')), replaced("Release8.zip", "../Release8.zip"),
          replaced("Release8.zip", "C:Release8.zip"), good.substr(0, good.find("file ")), good + fileA,
          replaced("\nfile 12", "\r\nfile 12"), good + "\n", replaced("issued", "expires"), std::string()})
        EXPECT_THROW(trust::parseManifestText(bad), ManifestError) << bad;
    trust::Manifest twice = release8();
    twice.files.push_back({"RELEASE8.ZIP", {3, std::string(64, 'c')}});
    EXPECT_THROW(trust::manifestText(twice), ManifestError);
}

TEST(SignedManifest, OnlyTheTrustedKeysSignatureOverEveryByteIsBelieved) {
    const auto office = trust::generateKeyPair(), stranger = trust::generateKeyPair();
    const std::string text = trust::signedManifestText(release8(), office.secretHex);
    const auto v = trust::verifySignedManifest(text, {stranger.publicHex, office.publicHex});
    EXPECT_EQ(v.key, office.publicHex);
    EXPECT_EQ(v.manifest.version, 8);

    auto refusal = [](const std::string& t, const std::vector<std::string>& keys) {
        try {
            trust::verifySignedManifest(t, keys);
        } catch (const ManifestError& e) {
            return std::string(e.what());
        }
        return std::string("believed");
    };
    EXPECT_THAT(refusal(text, {stranger.publicHex}), HasSubstr("does not trust"));
    EXPECT_THAT(refusal(trust::manifestText(release8()), {office.publicHex}), HasSubstr("not signed"));
    std::string changed = text;
    changed.replace(changed.find("version 8"), 9, "version 9");
    EXPECT_THAT(refusal(changed, {office.publicHex}), HasSubstr("signature does not match"));
    // The stranger's key line put in place of the office's: the signature no longer fits it.
    std::string rekeyed = text;
    rekeyed.replace(rekeyed.find(office.publicHex), office.publicHex.size(), stranger.publicHex);
    EXPECT_THAT(refusal(rekeyed, {office.publicHex, stranger.publicHex}),
                HasSubstr("signature does not match"));
}

TEST(TrustedKeys, AListIsReadStrictlyAndAKeyAddedOnce) {
    TempDir dir;
    const auto file = dir.path() / "Dll" / "TrustedKeys.txt";
    EXPECT_FALSE(trust::readTrustedKeys(file)) << "no list: releases are not verified";
    const auto a = trust::generateKeyPair(), b = trust::generateKeyPair();
    EXPECT_TRUE(trust::addTrustedKey(file, a.publicHex));
    EXPECT_FALSE(trust::addTrustedKey(file, a.publicHex));
    writeFile(file,
              readFile(file) + "# the next key, for the change in May\r\n\r\n  " + b.publicHex + "  \r\n");
    EXPECT_EQ(*trust::readTrustedKeys(file), (std::vector<std::string>{a.publicHex, b.publicHex}));
    // A damaged list must never read as "no key": that would turn the verification off.
    writeFile(file, a.publicHex.substr(1) + "\n");
    EXPECT_THROW(trust::readTrustedKeys(file), trust::TrustedKeysError);
}

} // namespace
} // namespace quillan::test
