// File names keep their bytes through the text form, whatever they hold.
#include "platform/file_name_bytes.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace korvane::test {
namespace {

class NameBytes : public testing::TestWithParam<QByteArray> {};

TEST_P(NameBytes, SurviveTheTextForm)
{
    const QString text = DecodeFileNameBytes(GetParam());
    EXPECT_EQ(EncodeFileNameBytes(text), GetParam());
    // Text that went through UTF-16 (as in the kernel slot) still gives the bytes back.
    const QString copied = QString::fromUtf16(reinterpret_cast<const char16_t*>(text.utf16()), text.size());
    EXPECT_EQ(EncodeFileNameBytes(copied), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Names, NameBytes,
                         testing::Values(QByteArray("20230101120000.MP4"), QByteArray("2023\xFF\xFE" "0101.MP4"),
                                         QByteArray("2023010112\n000.MP4"), QByteArray("caf\xC3\xA9 \xF0\x9F\x9A\x97.MP4"),
                                         QByteArray("\xC3"), QByteArray("\xED\xA0\x80 surrogate bytes"),
                                         QByteArray("\xC0\xAF overlong"), QByteArray("\x80\xBF\xF8")));

TEST(NameBytes, ValidUtf8IsTheUsualText)
{
    EXPECT_EQ(DecodeFileNameBytes("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(EncodeFileNameBytes(QString::fromUtf8("caf\xC3\xA9")), QByteArray("caf\xC3\xA9"));
}

TEST(NameBytes, AFileWithSuchANameIsFound)
{
    char pattern[] = "/tmp/korvane-names-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const QByteArray path = QByteArray(pattern) + "/2023\xFF\n0101.MP4";
    std::FILE* f = std::fopen(path.constData(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(IsRegularFileName(DecodeFileNameBytes(path)));
    EXPECT_FALSE(IsRegularFileName(QFile::decodeName(path)));  // the lossy form names no file
    EXPECT_FALSE(IsRegularFileName(DecodeFileNameBytes(pattern)));  // a folder
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
}

} // namespace
} // namespace korvane::test
