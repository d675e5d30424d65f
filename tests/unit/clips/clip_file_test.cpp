// Clip files: the extension read from a clip's first bytes, and the file a
// clip is written to, named, filled and deleted.
#include "../shell/shell_fixture.h"
#include "media/clip.h"
#include "platform/memory/memory_clip.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string extensionOf(const std::string& clip) {
    return clipExtension(reinterpret_cast<const uint8_t*>(clip.data()), clip.size());
}

TEST(ClipExtension, FirstBytesChooseTheExtension) {
    using namespace std::string_literals;
    struct Case {
        std::string clip;
        const char* extension;
        const char* what;
    };
    const Case cases[] = {
        {"RIFF\x24\x10\0\0AVI LIST"s, "AVI", "RIFF AVI"},
        {"RIFF\x24\x10\0\0WAVEfmt "s, "WAV", "RIFF WAVE"},
        {"RIFF\x24\x10\0\0RMIDdata"s, "MP3", "RIFF of another form type"},
        {"MThd\0\0\0\x06"s, "MID", "MIDI"},
        {"\x30\x26\xB2\x75\x8E\x66\xCF\x11"s, "WMV", "ASF header object"},
        {"\0\0\x01\xBA\x44\0\x04\0\x04"s, "MPG", "MPEG program stream"},
        {"\0\0\0\0\0\0\0\0A"s, "AVI", "first byte 0, byte 8 'A'"},
        {"\0\0\0\0\0\0\0\0W"s, "AVI", "first byte 0, byte 8 'W'"},
        {"\0\0\0\0\0\0\0\0a"s, "MPG", "first byte 0, byte 8 'a'"},
        {"\xFF\x00\x01\x02"s, "MPG", "FF 00"},
        {"\xFF\xFB\x90\x64"s, "MP3", "MPEG audio frame"},
        {"ID3\x03\0\0\0\0\x10"s, "MP3", "ID3 tag"},
        {"OggS\0\x02"s, "MP3", "anything else"},
        {""s, "MP3", "no bytes at all"},
        // Bytes past the end of a short clip match nothing.
        {"RIFF\0\0\0\0"s, "MP3", "RIFF of 8 bytes"},
        {"RIFF\0\0\0\0W"s, "WAV", "RIFF of 9 bytes"},
        {"\0\0\x01\xBA"s, "MPG", "short MPEG"},
        {"\0"s, "MPG", "one zero byte"},
        {"\xFF"s, "MP3", "one FF byte"},
        {"M"s, "MID", "one M"},
        {"0"s, "WMV", "one 0x30"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extensionOf(c.clip), c.extension) << c.what;
}

class ClipFileTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        quizRecord = std::make_unique<QuizState>();
        // A fresh media state: no clip written yet.
        mediaStartup(quiz());
    }
    void TearDown() override {
        quizRecord.reset();
        ShellTest::TearDown();
    }

    QuizState& quiz() { return *quizRecord; }
    std::string fileText(const std::string& name) const {
        std::ifstream in(directory / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(directory / name); }

    std::unique_ptr<QuizState> quizRecord;
};

TEST_F(ClipFileTest, AClipIsWrittenUnderItsIdentifierAndSniffedExtension) {
    const std::string wave = std::string("RIFF\x08\0\0\0WAVEdata", 16);
    const std::string mpeg = std::string("\xFF\xFB\x90\x64\x01\x02", 6);
    installResource("IMG", 402, bytesOf(wave));
    installResource("IMG", 412, bytesOf(mpeg));
    EXPECT_STREQ(lastClipFile(), "");

    ASSERT_TRUE(extractClip(quiz(), 402, clipKindAudio));
    EXPECT_STREQ(lastClipFile(), "zorbe402.WAV");
    EXPECT_EQ(fileText("zorbe402.WAV"), wave);

    // The next extraction names its own file; the old one is the pane's to
    // delete.
    ASSERT_TRUE(extractClip(quiz(), 412, clipKindAudio));
    EXPECT_STREQ(lastClipFile(), "zorbe412.MP3");
    EXPECT_EQ(fileText("zorbe412.MP3"), mpeg);
    EXPECT_TRUE(exists("zorbe402.WAV"));

    deleteLastClipFile();
    EXPECT_FALSE(exists("zorbe412.MP3"));
    EXPECT_TRUE(exists("zorbe402.WAV"));
    EXPECT_TRUE(memory::messages().empty());
}

TEST_F(ClipFileTest, TheMediaFolderPrefixesTheName) {
    std::filesystem::create_directory(directory / "clips");
    copyText("clips/", quiz().mediaFolder, mediaFolderCapacity);
    installResource("IMG", 401, bytesOf("MThd"));
    ASSERT_TRUE(extractClip(quiz(), 401, clipKindAudio));
    EXPECT_STREQ(lastClipFile(), "clips/zorbe401.MID");
    EXPECT_EQ(fileText("clips/zorbe401.MID"), "MThd");

    // A name longer than the clip file name field is not cut into another
    // file's name: nothing is written.
    std::string longFolder(300, 'd');
    copyText(longFolder.c_str(), quiz().mediaFolder, mediaFolderCapacity);
    EXPECT_FALSE(extractClip(quiz(), 401, clipKindAudio));
    EXPECT_STREQ(lastClipFile(), "clips/zorbe401.MID");
}

TEST_F(ClipFileTest, MissingAndDamagedClipsWriteNothing) {
    struct Case {
        bool listed; // the resource exists, without bytes
        int kind;
        const char* message;
    };
    const Case cases[] = {
        {false, clipKindAudio, nullptr},
        {false, clipKindVideo, nullptr},
        {true, clipKindAudio, "Impossible de charger le fichier audio."},
        {true, clipKindVideo, "Impossible de charger le fichier vid\xE9o."},
    };
    for (const Case& c : cases) {
        clearResources();
        if (c.listed)
            installResource("IMG", 403, {});
        const size_t before = memory::messages().size();
        EXPECT_FALSE(extractClip(quiz(), 403, c.kind));
        EXPECT_STREQ(lastClipFile(), "");
        EXPECT_TRUE(std::filesystem::is_empty(directory));
        if (c.message == nullptr) {
            EXPECT_EQ(memory::messages().size(), before);
        } else {
            ASSERT_EQ(memory::messages().size(), before + 1);
            const memory::MessageRecord& shown = memory::messages().back();
            EXPECT_EQ(shown.text, c.message);
            EXPECT_EQ(shown.caption, "Zorbe");
            EXPECT_EQ(shown.icon, ui::MessageIcon::None);
        }
    }
}

TEST_F(ClipFileTest, AFileThatCannotBeCreatedFailsSilentlyAndIsNeverDeleted) {
    // Something else already holds the name.
    std::filesystem::create_directory(directory / "zorbe405.MP3");
    installResource("IMG", 405, bytesOf("ID3\x03"));
    EXPECT_FALSE(extractClip(quiz(), 405, clipKindAudio));
    EXPECT_STREQ(lastClipFile(), "zorbe405.MP3") << "named before the file is made";
    EXPECT_TRUE(memory::messages().empty());
    deleteLastClipFile();
    EXPECT_TRUE(std::filesystem::is_directory(directory / "zorbe405.MP3"));
}

#ifndef _WIN32
TEST_F(ClipFileTest, ALinkPlantedUnderTheClipsNameIsReplacedNotFollowed) {
    const std::string victim = (directory / "precious.txt").string();
    { std::ofstream(victim, std::ios::binary) << "keep me"; }
    std::filesystem::create_symlink(victim, directory / "zorbe406.MP3");
    installResource("IMG", 406, bytesOf("ID3\x03clip"));
    ASSERT_TRUE(extractClip(quiz(), 406, clipKindAudio));
    EXPECT_EQ(fileText("precious.txt"), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(directory / "zorbe406.MP3"));
    EXPECT_EQ(fileText("zorbe406.MP3"), "ID3\x03clip");
}
#endif

} // namespace
