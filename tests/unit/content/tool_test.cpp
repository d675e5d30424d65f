// zorbe-tool's load, pack and inspect, run as a quiz author runs them.
#ifndef _WIN32

#include "content/link_block.h"
#include "platform/archive.h"

#include "content_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    writeBytes(path, std::string(bytes.begin(), bytes.end()));
}

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zorbe-tool-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        // A stand-in for the player: all the packer needs is the marked
        // link block, and a small file keeps each run short.
        std::string player = "player code ";
        player.append(reinterpret_cast<const char*>(linkBlockMarker()), linkBlockMarkerSize);
        player.append(linkBlockSize, '\0');
        player += " more player code";
        writeBytes(directory / "player", player);
    }
    void TearDown() override { fs::remove_all(directory); }

    ToolRun run(const std::string& arguments) {
        const fs::path out = directory / "stdout";
        const fs::path err = directory / "stderr";
        std::string command = "cd '" + directory.string() + "' && '" ZORBE_TOOL_PATH "' " +
                              arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
        int status = std::system(command.c_str());
        ToolRun result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readText(out);
        result.err = readText(err);
        return result;
    }

    Json runJson(const std::string& arguments) {
        ToolRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        Json json = Json::parse(result.out, nullptr, false);
        EXPECT_FALSE(json.is_discarded()) << result.out;
        return json;
    }

    // Packs quiz.toml, written with toml, into out.
    ToolRun pack(const std::string& toml, const std::string& options = "") {
        writeBytes(directory / "quiz.toml", toml);
        return run("pack quiz.toml -o out --player player " + options);
    }

    fs::path directory;
};

const std::vector<std::string> jsonKeys = {
    "messages",           "linkText",     "footerText", "quizMode",  "questionCount",
    "answersPerQuestion", "revealMode",   "title",      "author",    "explanation",
    "columnLabel1",       "columnLabel2", "background", "questions", "codes"};

std::vector<std::string> keysOf(const Json& json) {
    std::vector<std::string> keys;
    for (const auto& item : json.items())
        keys.push_back(item.key());
    return keys;
}

TEST_F(ToolTest, EveryCommandExplainsItself) {
    for (const char* command : {"load", "pack", "inspect"}) {
        ToolRun result = run(std::string(command) + " --help");
        EXPECT_EQ(result.exitCode, 0) << command;
        EXPECT_EQ(result.out.rfind("usage: zorbe-tool " + std::string(command), 0), 0u) << command;
    }
}

TEST_F(ToolTest, LoadPrintsTheLoadedState) {
    using test_support::stream;
    writeBytes(directory / "link", test_support::linkBlock("http://lien", "Pied \xE9t\xE9", true));
    std::string record = std::string("\0\x03\x02\x02", 4) + "Titre|Auteur|Expl|C1|C2|" +
                         "un|1|q1|deux|2|q2|" + std::string("\x04", 1) + "com\xE9|c2|" +
                         std::string("\x0A\x14\x1E", 3);
    writeBytes(directory / "record", test_support::scrambled(stream(record), 6));
    writeBytes(directory / "codes", test_support::scrambled(stream("A\r\nB\r\nC\r\n"), 0));

    Json json = runJson("load --link-block link --quiz-record record --code-list codes");
    EXPECT_EQ(keysOf(json), jsonKeys);
    EXPECT_EQ(json["messages"], Json::array());
    EXPECT_EQ(json["linkText"], "http://lien");
    EXPECT_EQ(json["footerText"], "Pied \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(json["quizMode"], 2);
    EXPECT_EQ(json["questionCount"], 2);
    EXPECT_EQ(json["answersPerQuestion"], 2);
    EXPECT_EQ(json["revealMode"], 4);
    EXPECT_EQ(json["title"], "Titre");
    EXPECT_EQ(json["columnLabel2"], "C2");
    EXPECT_EQ(json["background"], Json::parse("[10, 20, 30]"));
    EXPECT_EQ(json["questions"], Json::parse(R"([
        {"answer1": "un", "answer2": "1", "questionText": "q1", "comment": "com\u00e9"},
        {"answer1": "deux", "answer2": "2", "questionText": "q2", "comment": "c2"}])"));
    EXPECT_EQ(json["codes"], Json::parse(R"(["A", "B"])"));
}

TEST_F(ToolTest, LoadTreatsAbsentAndEmptyResourcesAsThePlayerDoes) {
    writeBytes(directory / "link", test_support::linkBlock("l", "f", false));
    writeBytes(directory / "empty", std::string());
    writeBytes(directory / "record",
               test_support::stream(std::string("\0\x01\x01\x01", 4) + "T|A|E|1|2|r|q|" +
                                    std::string("\0\x01\x02\x03", 4)));
    const std::string noQuiz = "Donn\xC3\xA9"
                               "es indisponibles";
    const struct {
        const char* arguments;
        std::string message;
        int questionCount;
    } cases[] = {
        {"", noQuiz, 7},
        {"--quiz-record empty", noQuiz, 7},
        {"--quiz-record record",
         "Erreur dans le d\xC3\xA9"
         "cryptage des codes",
         1},
        {"--quiz-record record --code-list empty",
         "Erreur dans le d\xC3\xA9"
         "cryptage des codes",
         1},
    };
    for (const auto& c : cases) {
        Json json = runJson(std::string("load --link-block link ") + c.arguments);
        ASSERT_EQ(json["messages"].size(), 1u) << c.arguments;
        EXPECT_EQ(json["messages"][0]["text"], c.message) << c.arguments;
        EXPECT_EQ(json["messages"][0]["caption"], "Zorbe") << c.arguments;
        EXPECT_EQ(json["questionCount"], c.questionCount) << c.arguments;
        EXPECT_EQ(json["codes"].size(), static_cast<size_t>(c.questionCount)) << c.arguments;
    }

    // An empty link block file is 70 zero bytes, which do not decode.
    Json json = runJson("load --link-block empty");
    EXPECT_EQ(json["messages"][0]["text"], "Erreur dans le d\xC3\xA9"
                                           "cryptage");
    EXPECT_EQ(json["questionCount"], 0);
    EXPECT_EQ(json["questions"], Json::array());
}

TEST_F(ToolTest, LoadRefusesWhatItCannotRun) {
    writeBytes(directory / "long", std::string(71, 'x'));
    const struct {
        const char* arguments;
        int exitCode;
        const char* error;
    } cases[] = {
        {"load", 2, "--link-block is required"},
        {"load --link-block", 2, "missing file"},
        {"load --link-block long", 1, "a link block holds 70"},
        {"load --link-block missing", 1, "cannot open missing"},
        {"load --link-block long --bogus x", 2, "unknown argument"},
        {"inspect", 2, "one player file"},
        {"inspect quiz.toml", 1, "cannot open"},
        {"inspect long", 1, "not a Zorbe player"},
    };
    for (const auto& c : cases) {
        ToolRun result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(result.err.find(c.error), std::string::npos) << c.arguments << ": " << result.err;
        EXPECT_EQ(result.out, "") << c.arguments;
    }
}

// The header shared by the quizzes below.
const std::string quizHeader = R"(title = "Quiz"
author = "Zoé"
explanation = "Explications"
column1 = "Un"
column2 = "Deux"
background = [1, 2, 3]
link = "https://a.example"
footer = "Pied"
)";

TEST_F(ToolTest, PackThenInspectGivesBackEveryModeOfQuiz) {
    writeBytes(directory / "media/q1.jpg", std::string("\xFF\xD8\xFF\xE0jpeg"));
    writeBytes(directory / "media/q2.png", std::string("\x89PNG\r\n\x1A\nrest", 12));
    writeBytes(directory / "media/a1.gif", std::string("GIF89a\x12\x34", 8));
    writeBytes(directory / "media/a2.png", std::string("\x89PNG\r\n\x1A\nanswer", 14));
    writeBytes(directory / "media/c1.mp3", std::string("ID3clip"));
    const struct {
        const char* name;
        std::string body;
        int quizMode;
        int revealMode;
        int answers;
        std::vector<std::string> comments;
        std::vector<ArchiveEntry> media;
    } cases[] = {
        {"list, nothing revealed",
         "mode = \"list\"\n[[question]]\nanswer1 = \"Paris\"\ntext = \"Capitale ?\"\n"
         "[[question]]\nanswer1 = \"Rome\"\ntext = \"Et l'Italie ?\"\n",
         0,
         0,
         1,
         {"", ""},
         {}},
        {"list with comments",
         "mode = \"list\"\nreveal = \"comment\"\n[[question]]\nanswer1 = \"Paris\"\n"
         "comment = \"Ville lumière\"\n[[question]]\nanswer1 = \"Rome\"\ncomment = \"\"\n",
         0,
         2,
         1,
         {"Ville lumi\xC3\xA8re", ""},
         {}},
        {"pictures, two answers, comment and picture",
         "mode = \"pictures\"\nanswers = 2\nreveal = \"comment-and-picture\"\n"
         "[[question]]\nanswer1 = \"Paris\"\nanswer2 = \"France\"\ncomment = \"c1\"\n"
         "picture = \"media/q1.jpg\"\nanswer_picture = \"media/a1.gif\"\n"
         "[[question]]\nanswer1 = \"Rome\"\nanswer2 = \"-\"\ncomment = \"c2\"\n"
         "picture = \"media/q2.png\"\nanswer_picture = \"media/a2.png\"\n",
         1,
         3,
         2,
         {"c1", "c2"},
         {{"IMG", 401, test_support::bytesOf("\xFF\xD8\xFF\xE0jpeg")},
          {"IMG", 10401, test_support::bytesOf("\x74\x94\x64\x83\x93\x16\x21\x43")},
          {"#10", 402, test_support::bytesOf(std::string("\x89PNG\r\n\x1A\nrest", 12))},
          {"#10", 10402, test_support::bytesOf(std::string("\x89PNG\r\n\x1A\nanswer", 14))}}},
        {"pictures, answer picture only",
         "mode = \"pictures\"\nreveal = \"picture\"\n[[question]]\nanswer1 = \"Paris\"\n"
         "answer_picture = \"media/a1.gif\"\n[[question]]\nanswer1 = \"Rome\"\n",
         1,
         1,
         1,
         {"", ""},
         {{"IMG", 10401, test_support::bytesOf("\x74\x94\x64\x83\x93\x16\x21\x43")}}},
        {"audio, all comments at the end",
         "mode = \"audio\"\nreveal = \"all-comments\"\n[[question]]\nanswer1 = \"Paris\"\n"
         "comment = \"a\"\nclip = \"media/c1.mp3\"\n[[question]]\nanswer1 = \"Rome\"\ncomment = "
         "\"b\"\n",
         2,
         4,
         1,
         {"a", "b"},
         {{"IMG", 401, test_support::bytesOf("ID3clip")}}},
        {"video, word counts",
         "mode = \"video\"\nanswers = 2\nreveal = \"word-count\"\n[[question]]\nanswer1 = "
         "\"Paris\"\n"
         "answer2 = \"France\"\nclip = \"media/c1.mp3\"\n[[question]]\nanswer1 = \"Rome\"\n"
         "answer2 = \"Italie\"\nclip = \"" +
             (directory / "media/c1.mp3").string() + "\"\n",
         3,
         5,
         2,
         {"", ""},
         {{"IMG", 401, test_support::bytesOf("ID3clip")},
          {"IMG", 402, test_support::bytesOf("ID3clip")}}},
    };
    for (const auto& c : cases) {
        for (const char* options : {"", "--plain"}) {
            SCOPED_TRACE(testing::Message() << c.name << " " << options);
            ToolRun packed = pack(quizHeader + "codes = [\"premier\"]\n" + c.body, options);
            ASSERT_EQ(packed.exitCode, 0) << packed.err;
            EXPECT_EQ(packed.out, "");

            Json json = runJson("inspect out");
            EXPECT_EQ(keysOf(json), jsonKeys);
            EXPECT_EQ(json["messages"], Json::array());
            EXPECT_EQ(json["linkText"], "https://a.example");
            EXPECT_EQ(json["footerText"], "Pied");
            EXPECT_EQ(json["author"], "Zo\xC3\xA9");
            EXPECT_EQ(json["columnLabel1"], "Un");
            EXPECT_EQ(json["background"], Json::parse("[1, 2, 3]"));
            EXPECT_EQ(json["quizMode"], c.quizMode);
            EXPECT_EQ(json["revealMode"], c.revealMode);
            EXPECT_EQ(json["answersPerQuestion"], c.answers);
            EXPECT_EQ(json["questionCount"], 2);
            ASSERT_EQ(json["questions"].size(), 2u);
            EXPECT_EQ(json["questions"][0]["answer1"], "Paris");
            EXPECT_EQ(json["questions"][1]["answer1"], "Rome");
            for (size_t j = 0; j < 2; ++j)
                EXPECT_EQ(json["questions"][j]["comment"], c.comments[j]);
            EXPECT_EQ(json["codes"], Json::parse(R"(["premier", ""])"));

            std::string file = readText(directory / "out");
            std::vector<ArchiveEntry> entries;
            size_t programSize = 0;
            ASSERT_EQ(readArchive(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                  entries, programSize),
                      ArchiveStatus::found);
            ASSERT_EQ(entries.size(), 2 + c.media.size());
            EXPECT_EQ(entries[0].type, "PATCH");
            EXPECT_EQ(entries[0].id, 104);
            EXPECT_EQ(entries[1].id, 105);
            for (size_t i = 0; i < c.media.size(); ++i) {
                EXPECT_EQ(entries[2 + i].type, c.media[i].type) << i;
                EXPECT_EQ(entries[2 + i].id, c.media[i].id) << i;
                EXPECT_EQ(entries[2 + i].bytes, c.media[i].bytes) << i;
            }
        }
    }
}

TEST_F(ToolTest, RepackingReplacesTheQuizAndKeepsThePlayer) {
    writeBytes(directory / "media/q1.jpg", std::string("\xFF\xD8\xFF"));
    ASSERT_EQ(pack(quizHeader + "mode = \"pictures\"\n[[question]]\nanswer1 = \"Paris\"\n"
                                "picture = \"media/q1.jpg\"\n")
                  .exitCode,
              0);
    fs::copy_file(directory / "out", directory / "first");
    writeBytes(directory / "quiz.toml", "title = \"Second\"\n[[question]]\nanswer1 = \"Rome\"\n");
    ToolRun second = run("pack quiz.toml -o out --player first --plain");
    ASSERT_EQ(second.exitCode, 0) << second.err;

    Json json = runJson("inspect out");
    EXPECT_EQ(json["title"], "Second");
    EXPECT_EQ(json["linkText"], "");
    EXPECT_EQ(json["questions"][0]["answer1"], "Rome");
    std::string file = readText(directory / "out");
    std::vector<ArchiveEntry> entries;
    size_t programSize = 0;
    ASSERT_EQ(readArchive(reinterpret_cast<const uint8_t*>(file.data()), file.size(), entries,
                          programSize),
              ArchiveStatus::found);
    EXPECT_EQ(entries.size(), 2u); // the first quiz's picture is gone
    EXPECT_EQ(programSize, static_cast<size_t>(fs::file_size(directory / "player")));
}

// A real program with an archive appended still runs, and its link block
// is found in it.
TEST_F(ToolTest, APackedProgramStillRuns) {
    writeBytes(directory / "quiz.toml", "title = \"Quiz\"\n[[question]]\nanswer1 = \"Rome\"\n");
    ToolRun packed = run("pack quiz.toml -o out --player '" ZORBE_TOOL_PATH "'");
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(fs::status(directory / "out").permissions(),
              fs::status(ZORBE_TOOL_PATH).permissions());
    EXPECT_EQ(
        std::system(("'" + (directory / "out").string() + "' pack --help >/dev/null").c_str()), 0);
}

TEST_F(ToolTest, PackRefusesWhatThePlayerCannotShowAsWritten) {
    writeBytes(directory / "empty.jpg", std::string());
    std::string ninetySeven;
    for (int j = 0; j < 97; ++j)
        ninetySeven += "[[question]]\nanswer1 = \"reponse " + std::to_string(j) + "\"\n";
    const struct {
        const char* name;
        std::string toml;
        std::string error; // a line of stderr holds it
    } cases[] = {
        {"character outside Windows-1252", "title = \"Tōkyō\"\n",
         "quiz.toml:1: title: holds \"\xC5\x8D\", which has no Windows-1252 form"},
        {"separator in a text", "[[question]]\nanswer1 = \"a|b\"\n",
         "quiz.toml:2: question[1].answer1: holds \"|\""},
        {"text too long", "explanation = \"" + std::string(260, 'e') + "\"\n",
         "quiz.toml:1: explanation: has 260 characters; at most 259 fit"},
        {"link too long", "link = \"" + std::string(25, 'l') + "\"\n",
         "quiz.toml:1: link: has 25 characters; at most 24 fit"},
        {"link and footer beyond the block",
         "link = \"abcdefghijklmnopqrstuvwx\"\nfooter = \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\"\n",
         "quiz.toml:1: link: link and footer take"},
        {"97 questions", ninetySeven, "question: has 97 questions; a quiz holds at most 96"},
        {"missing media file",
         "mode = \"pictures\"\n[[question]]\nanswer1 = \"Paris\"\npicture = \"nowhere.jpg\"\n",
         "quiz.toml:4: question[1].picture: no such file"},
        {"empty media file",
         "mode = \"pictures\"\n[[question]]\nanswer1 = \"Paris\"\npicture = \"empty.jpg\"\n",
         "quiz.toml:4: question[1].picture: is an empty file"},
        {"picture in a list quiz", "[[question]]\nanswer1 = \"Paris\"\npicture = \"x.jpg\"\n",
         "quiz.toml:3: question[1].picture: pictures are shown only in the pictures mode"},
        {"comment never shown", "[[question]]\nanswer1 = \"Paris\"\ncomment = \"c\"\n",
         "quiz.toml:3: question[1].comment: is stored only with the reveal modes"},
        {"second answer of a one-answer quiz",
         "[[question]]\nanswer1 = \"Paris\"\nanswer2 = \"France\"\n",
         "quiz.toml:3: question[1].answer2: is stored only with two answers per question"},
        {"second answer missing", "answers = 2\n[[question]]\nanswer1 = \"Paris\"\n",
         "question[1].answer2: missing"},
        {"first answer missing", "[[question]]\ntext = \"?\"\n", "question[1].answer1: missing"},
        {"more codes than questions", "codes = [\"a\", \"b\"]\n[[question]]\nanswer1 = \"Paris\"\n",
         "quiz.toml:1: codes: has 2 codes for 1 question;"},
        {"unknown key", "titel = \"x\"\n", "quiz.toml:1: titel: unknown key"},
        {"unknown question key", "[[question]]\nanswer = \"x\"\n",
         "question[1].answer: unknown key"},
        {"unknown mode", "mode = \"slides\"\n", "quiz.toml:1: mode: must be one of"},
        {"wrong answer count", "answers = 3\n", "quiz.toml:1: answers: must be 1 or 2"},
        {"background out of range", "background = [1, 2, 300]\n",
         "quiz.toml:1: background: must be"},
        {"text of the wrong type", "title = 12\n", "quiz.toml:1: title: must be a text"},
        {"not TOML", "title = \n", "quiz.toml:1: TOML:"},
    };
    for (const auto& c : cases) {
        fs::remove(directory / "out");
        ToolRun result = pack(c.toml);
        EXPECT_EQ(result.exitCode, 1) << c.name;
        EXPECT_NE(result.err.find(c.error), std::string::npos) << c.name << ":\n" << result.err;
        EXPECT_NE(result.err.find("nothing written"), std::string::npos) << c.name;
        EXPECT_FALSE(fs::exists(directory / "out")) << c.name;
    }
}

TEST_F(ToolTest, PackWarnsAboutAnswersThatAreHardToGetRight) {
    ToolRun result = pack("[[question]]\nanswer1 = \" Paris\"\n[[question]]\nanswer1 = \"Oui\"\n"
                          "[[question]]\nanswer1 = \"oui\"\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const char* warnings[] = {
        "warning: quiz.toml:2: question[1].answer1: begins or ends with a blank",
        "warning: quiz.toml:4: question[2].answer1: has at most 3 characters",
        "warning: quiz.toml:6: question[3].answer1: is the same answer as question[2].answer1",
    };
    for (const char* warning : warnings)
        EXPECT_NE(result.err.find(warning), std::string::npos) << warning << "\n" << result.err;
    EXPECT_TRUE(fs::exists(directory / "out"));
}

TEST_F(ToolTest, PackRefusesPlayersItCannotPatch) {
    writeBytes(directory / "notaplayer", std::string(200, 'x'));
    writeBytes(directory / "quiz.toml", "[[question]]\nanswer1 = \"Paris\"\n");
    ToolRun result = run("pack quiz.toml -o out --player notaplayer");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("not a Zorbe player"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(directory / "out"));

    ToolRun usage = run("pack quiz.toml");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("-o OUT are required"), std::string::npos) << usage.err;
}

// The example of the quiz format's documentation packs as it stands.
TEST_F(ToolTest, TheDocumentedExamplePacks) {
    std::string doc = readText(fs::path(ZORBE_SOURCE_DIR) / "docs/quiz-format.md");
    size_t start = doc.find("```toml\n");
    ASSERT_NE(start, std::string::npos);
    start += 8;
    size_t end = doc.find("```", start);
    std::string example = doc.substr(start, end - start);
    std::regex mediaPath(R"re((picture|answer_picture|clip) = "([^"]+)")re");
    for (auto it = std::sregex_iterator(example.begin(), example.end(), mediaPath);
         it != std::sregex_iterator(); ++it)
        writeBytes(directory / (*it)[2].str(), std::string("\xFF\xD8\xFF\xE0", 4));
    ToolRun result = pack(example);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    Json json = runJson("inspect out");
    EXPECT_EQ(json["messages"], Json::array());
    EXPECT_GT(json["questionCount"].get<int>(), 0);
}

} // namespace

#endif
