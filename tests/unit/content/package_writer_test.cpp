#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/lzw.h"
#include "content/package_writer.h"
#include "content/quiz_state.h"
#include "platform/memory/memory_ui.h"
#include "platform/resources.h"

#include "content_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

QuizSource baseSource() {
    QuizSource source;
    source.linkText = "https://quiz.example";
    source.footerText = "Pied de page";
    source.quizMode = 1;
    source.answersPerQuestion = 2;
    source.revealMode = 3;
    source.title = "Capitales";
    source.author = "Zo\xE9";
    source.explanation = "Trouvez la capitale";
    source.columnLabel1 = "Ville";
    source.columnLabel2 = "Pays";
    source.questions = {
        {"Paris", "France", "Premi\xE8re", "Ville lumi\xE8re"},
        {"Berlin", "-", "Deuxi\xE8me", ""},
        {"Lisbonne", "Portugal", "Troisi\xE8me", "Fado"},
    };
    source.codes = {"UN", "DEUX"};
    source.backgroundRed = 1;
    source.backgroundGreen = 2;
    source.backgroundBlue = 3;
    return source;
}

std::vector<std::string> fieldsOf(const std::vector<SourceFinding>& findings) {
    std::vector<std::string> fields;
    for (const SourceFinding& finding : findings)
        fields.push_back(finding.field);
    return fields;
}

TEST(CheckQuizSource, AcceptsAQuizItCanStore) {
    std::vector<SourceFinding> errors;
    std::vector<SourceFinding> warnings;
    checkQuizSource(baseSource(), errors, warnings);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(warnings.empty());
}

TEST(CheckQuizSource, RefusesWhatCannotBeStoredFaithfully) {
    const struct {
        const char* name;
        std::function<void(QuizSource&)> change;
        std::vector<std::string> fields;
    } cases[] = {
        {"separator in a text", [](QuizSource& s) { s.title = "a|b"; }, {"title"}},
        {"separator in an answer",
         [](QuizSource& s) { s.questions[1].answer1 = "|"; },
         {"question[2].answer1"}},
        {"text of 260",
         [](QuizSource& s) { s.explanation = std::string(260, 'e'); },
         {"explanation"}},
        {"question text of 260",
         [](QuizSource& s) { s.questions[0].questionText = std::string(260, 'q'); },
         {"question[1].text"}},
        {"comment of 260",
         [](QuizSource& s) { s.questions[2].comment = std::string(260, 'c'); },
         {"question[3].comment"}},
        {"link of 25", [](QuizSource& s) { s.linkText = std::string(25, 'l'); }, {"link"}},
        {"footer of 43", [](QuizSource& s) { s.footerText = std::string(43, 'f'); }, {"footer"}},
        {"link and footer too long once encoded",
         [](QuizSource& s) {
             s.linkText = std::string("abcdefghijklmnopqrstuvwx");
             s.footerText = std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&*");
         },
         {"link"}},
        {"separator in the footer", [](QuizSource& s) { s.footerText = "a|b"; }, {"footer"}},
        {"97 questions",
         [](QuizSource& s) {
             s.questions.clear();
             for (int j = 0; j < 97; ++j)
                 s.questions.push_back({"r" + std::to_string(j), "s" + std::to_string(j), "", ""});
         },
         {"question"}},
        {"more codes than questions", [](QuizSource& s) { s.codes.assign(4, "c"); }, {"codes"}},
        {"code with a line break", [](QuizSource& s) { s.codes[1] = "a\r\nb"; }, {"codes[2]"}},
        {"code of 260", [](QuizSource& s) { s.codes[0] = std::string(260, 'k'); }, {"codes[1]"}},
        {"second answer with one answer per question",
         [](QuizSource& s) {
             s.answersPerQuestion = 1;
             s.questions[1].answer2 = "";
             s.questions[2].answer2 = "";
         },
         {"question[1].answer2"}},
        {"comment without a comment reveal mode",
         [](QuizSource& s) { s.revealMode = 1; },
         {"question[1].comment", "question[3].comment"}},
        {"quiz mode out of range", [](QuizSource& s) { s.quizMode = 4; }, {"mode"}},
        {"answers out of range", [](QuizSource& s) { s.answersPerQuestion = 3; }, {"answers"}},
        {"reveal mode out of range", [](QuizSource& s) { s.revealMode = 6; }, {"reveal"}},
    };
    for (const auto& c : cases) {
        QuizSource source = baseSource();
        c.change(source);
        std::vector<SourceFinding> errors;
        std::vector<SourceFinding> warnings;
        checkQuizSource(source, errors, warnings);
        EXPECT_EQ(fieldsOf(errors), c.fields) << c.name;
        QuizPackages packages;
        EXPECT_EQ(packQuiz(source, true, packages), packInvalidSource) << c.name;
    }
}

TEST(CheckQuizSource, WarnsAboutAnswersThatAreHardToGetRight) {
    const struct {
        const char* name;
        std::function<void(QuizSource&)> change;
        std::vector<std::string> fields;
    } cases[] = {
        {"leading blank",
         [](QuizSource& s) { s.questions[0].answer1 = " Paris"; },
         {"question[1].answer1"}},
        {"trailing blank",
         [](QuizSource& s) { s.questions[2].answer2 = "Portugal "; },
         {"question[3].answer2"}},
        {"three characters",
         [](QuizSource& s) { s.questions[1].answer1 = "Oui"; },
         {"question[2].answer1"}},
        {"empty answer",
         [](QuizSource& s) { s.questions[0].answer2 = ""; },
         {"question[1].answer2"}},
        {"longer than an answer field",
         [](QuizSource& s) { s.questions[0].answer1 = std::string(56, 'a'); },
         {"question[1].answer1"}},
        {"same answer in two questions, case aside",
         [](QuizSource& s) { s.questions[2].answer1 = "PARIS"; },
         {"question[3].answer1"}},
        {"same accented answer",
         [](QuizSource& s) {
             s.questions[0].answer1 = "\xE9t\xE9";
             s.questions[1].answer1 = "\xC9T\xC9";
         },
         {"question[1].answer1", "question[2].answer1", "question[2].answer1"}},
        {"list quiz with two answers", [](QuizSource& s) { s.quizMode = 0; }, {"answers"}},
    };
    for (const auto& c : cases) {
        QuizSource source = baseSource();
        c.change(source);
        std::vector<SourceFinding> errors;
        std::vector<SourceFinding> warnings;
        checkQuizSource(source, errors, warnings);
        EXPECT_TRUE(errors.empty()) << c.name;
        EXPECT_EQ(fieldsOf(warnings), c.fields) << c.name;
    }
}

TEST(CheckQuizSource, TheMarkForNoSecondAnswerIsNotAnAnswer) {
    QuizSource source = baseSource();
    source.questions[0].answer2 = "-";
    std::vector<SourceFinding> errors;
    std::vector<SourceFinding> warnings;
    checkQuizSource(source, errors, warnings);
    EXPECT_TRUE(warnings.empty()); // neither too short nor the same as question 2's "-"
}

class PackTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory::reset();
        clearResources();
    }
    void TearDown() override {
        overrideLinkBlock(nullptr);
        clearResources();
        memory::reset();
    }

    std::unique_ptr<QuizState> loadPackages(const QuizPackages& packages) {
        std::copy(std::begin(packages.linkBlock), std::end(packages.linkBlock), link);
        overrideLinkBlock(link);
        installResource("PATCH", 104, packages.quizRecord);
        installResource("PATCH", 105, packages.codeList);
        auto state = std::make_unique<QuizState>();
        loadContent(*state);
        return state;
    }

    uint8_t link[linkBlockSize] = {};
};

bool decodesAsStored(const std::vector<uint8_t>& stored) {
    std::unique_ptr<uint8_t[]> output;
    size_t length = 0;
    return decode(stored.data(), stored.size(), output, length) == 0;
}

void expectStateHolds(const QuizState& state, const QuizSource& source) {
    EXPECT_TRUE(memory::messages().empty());
    EXPECT_EQ(state.linkText, source.linkText);
    EXPECT_EQ(state.footerText, source.footerText);
    EXPECT_EQ(state.quizMode, source.quizMode);
    EXPECT_EQ(state.answersPerQuestion, source.answersPerQuestion);
    EXPECT_EQ(state.revealMode, source.revealMode);
    EXPECT_EQ(state.title, source.title);
    EXPECT_EQ(state.author, source.author);
    EXPECT_EQ(state.explanation, source.explanation);
    EXPECT_EQ(state.columnLabel1, source.columnLabel1);
    EXPECT_EQ(state.columnLabel2, source.columnLabel2);
    EXPECT_EQ(state.backgroundRed, source.backgroundRed);
    EXPECT_EQ(state.backgroundGreen, source.backgroundGreen);
    EXPECT_EQ(state.backgroundBlue, source.backgroundBlue);
    ASSERT_EQ(state.questionCount, static_cast<int>(source.questions.size()));
    const QuestionEntry* entry = state.firstQuestion;
    for (const SourceQuestion& question : source.questions) {
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->answer1, question.answer1);
        EXPECT_EQ(entry->answer2, question.answer2);
        EXPECT_EQ(entry->questionText, question.questionText);
        EXPECT_EQ(entry->comment, question.comment);
        entry = entry->next;
    }
    EXPECT_EQ(entry, nullptr);
    for (int i = 0; i < state.questionCount; ++i) {
        std::string expected = i < static_cast<int>(source.codes.size()) ? source.codes[i] : "";
        EXPECT_EQ(state.codes[i], expected) << i;
    }
}

TEST_F(PackTest, PackedQuizzesLoadBackAsWritten) {
    std::vector<QuizSource> sources;
    for (int mode = 0; mode < 4; ++mode) {
        for (int reveal = 0; reveal < 6; ++reveal) {
            QuizSource source = baseSource();
            source.quizMode = mode;
            source.revealMode = reveal;
            source.answersPerQuestion = 1 + (mode + reveal) % 2;
            for (SourceQuestion& question : source.questions) {
                if (source.answersPerQuestion == 1)
                    question.answer2.clear();
                if (reveal != 2 && reveal != 3 && reveal != 4)
                    question.comment.clear();
            }
            sources.push_back(source);
        }
    }
    QuizSource empty;
    empty.questions.clear();
    sources.push_back(empty);
    QuizSource full = baseSource();
    full.questions.clear();
    full.codes.clear();
    for (int j = 0; j < 96; ++j) {
        full.questions.push_back({"reponse " + std::to_string(j), "autre " + std::to_string(j),
                                  std::string(259, static_cast<char>('a' + j % 26)),
                                  std::string(200, 'c')});
        full.codes.push_back("code " + std::to_string(j));
    }
    sources.push_back(full);

    for (size_t i = 0; i < sources.size(); ++i) {
        for (bool scramble : {true, false}) {
            SCOPED_TRACE(testing::Message() << "source " << i << ", scrambled " << scramble);
            memory::reset();
            clearResources();
            QuizPackages packages;
            ASSERT_EQ(packQuiz(sources[i], scramble, packages), packOk);
            std::vector<uint8_t> linkBytes(std::begin(packages.linkBlock),
                                           std::end(packages.linkBlock));
            // The loader takes a package that decodes as stored for a plain one.
            EXPECT_EQ(decodesAsStored(linkBytes), !scramble);
            EXPECT_EQ(decodesAsStored(packages.quizRecord), !scramble);
            EXPECT_EQ(decodesAsStored(packages.codeList), !scramble);
            auto state = loadPackages(packages);
            expectStateHolds(*state, sources[i]);
        }
    }
}

// A scrambled stream may also decode as it is, and the loader would then
// take its scrambled bytes for the content. With the key's first byte, a
// second byte of 11 hexadecimal turns the stream's second code into the end
// code.
TEST_F(PackTest, NoScrambledPackageDecodesWithoutDescrambling) {
    QuizSource source = baseSource();
    source.codes = {"A\x11"
                    "BC",
                    "DEUX"};
    std::vector<uint8_t> usual = test_support::scrambled(
        test_support::stream(source.codes[0] + "\r\n" + source.codes[1] + "\r\n"), 0);
    ASSERT_TRUE(decodesAsStored(usual));

    QuizPackages packages;
    ASSERT_EQ(packQuiz(source, true, packages), packOk);
    EXPECT_FALSE(decodesAsStored(packages.codeList));
    auto state = loadPackages(packages);
    expectStateHolds(*state, source);
}

TEST(LinkRecord, HoldsTwoUnusedBytesAndTheTwoTexts) {
    QuizSource source;
    source.linkText = "l";
    source.footerText = "f";
    const std::vector<uint8_t> expected = {0, 0, 'l', '|', 'f', '|'};
    EXPECT_EQ(linkRecord(source), expected);
    source.codes = {"a", ""};
    EXPECT_EQ(codeListRecord(source), test_support::bytesOf("a\r\n\r\n"));
    source.codes.clear();
    EXPECT_EQ(codeListRecord(source), test_support::bytesOf("\r\n"));
}

TEST(FindLinkBlock, FindsTheBlockByItsMarkerOnce) {
    const std::vector<uint8_t> marker(linkBlockMarker(), linkBlockMarker() + linkBlockMarkerSize);
    auto fileOf = [&](std::initializer_list<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> file;
        for (const auto& part : parts)
            file.insert(file.end(), part.begin(), part.end());
        return file;
    };
    const std::vector<uint8_t> block(linkBlockSize, 0x55);
    const std::vector<uint8_t> pad(10, 0);
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        int result;
        size_t offset;
    } cases[] = {
        {"found", fileOf({pad, marker, block, pad}), linkBlockFound, 10 + linkBlockMarkerSize},
        {"block at the very end", fileOf({marker, block}), linkBlockFound, linkBlockMarkerSize},
        {"missing", fileOf({pad, block}), linkBlockMissing, 0},
        {"twice", fileOf({marker, block, marker, block}), linkBlockAmbiguous, 0},
        {"cut", fileOf({pad, marker, pad}), linkBlockCut, 0},
        {"empty file", {}, linkBlockMissing, 0},
        {"Windows program", fileOf({{'M', 'Z'}, marker, block}), linkBlockWindowsProgram, 0},
    };
    for (const auto& c : cases) {
        size_t offset = 0;
        EXPECT_EQ(findLinkBlock(c.file.data(), c.file.size(), offset), c.result) << c.name;
        EXPECT_EQ(offset, c.offset) << c.name;
    }
}

} // namespace
