// Damaged and hostile content packages, and what the loader makes of each:
// the failure message of the package (caption "Zorbe") and the state it
// leaves, or the documented cut. Cases the content tests already hold
// (records cut after decoding, 97 questions, texts longer than their
// fields, a footer without its separator, line feeds in codes) are not
// repeated here.
#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/lzw.h"
#include "content/lzw_encoder.h"
#include "content/quiz_state.h"
#include "platform/memory/memory_ui.h"
#include "platform/resources.h"

#include "tests/unit/content/content_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using test_support::scrambled;
using test_support::stream;
using Bytes = std::vector<uint8_t>;

const std::string linkFailure = "Erreur dans le d\xE9"
                                "cryptage";
const std::string recordFailure = "Erreur dans le d\xE9"
                                  "cryptage des reponses";
const std::string codesFailure = "Erreur dans le d\xE9"
                                 "cryptage des codes";
const std::string noQuiz = "Donn\xE9"
                           "es indisponibles";

// What a case leaves: the one message shown (empty: none), the question
// count, and the texts that tell how far loading went.
struct Outcome {
    std::string message;
    int questionCount = 0;
    std::string linkText;
    std::string title;
    std::string firstCode;
};

// The stored packages of one case; an absent resource is nullopt.
struct Packages {
    Bytes link; // completed with zeros to 70 bytes
    std::optional<Bytes> record;
    std::optional<Bytes> codes;
};

struct Case {
    std::string name;
    Packages packages;
    Outcome expected;
};

Outcome load(const Packages& packages) {
    memory::reset();
    clearResources();
    Bytes link = packages.link;
    link.resize(linkBlockSize, 0);
    overrideLinkBlock(link.data());
    if (packages.record)
        installResource("PATCH", 104, *packages.record);
    if (packages.codes)
        installResource("PATCH", 105, *packages.codes);
    auto state = std::make_unique<QuizState>();
    loadContent(*state);
    Outcome outcome;
    EXPECT_LE(memory::messages().size(), 1u);
    if (!memory::messages().empty()) {
        EXPECT_EQ(memory::messages()[0].caption, "Zorbe");
        outcome.message = memory::messages()[0].text;
    }
    outcome.questionCount = state->questionCount;
    outcome.linkText = state->linkText;
    outcome.title = state->title;
    outcome.firstCode = state->codes[0];
    overrideLinkBlock(nullptr);
    clearResources();
    memory::reset();
    return outcome;
}

void expectOutcome(const Case& c) {
    SCOPED_TRACE(c.name);
    const Outcome got = load(c.packages);
    EXPECT_EQ(got.message, c.expected.message);
    EXPECT_EQ(got.questionCount, c.expected.questionCount);
    EXPECT_EQ(got.linkText, c.expected.linkText);
    EXPECT_EQ(got.title, c.expected.title);
    EXPECT_EQ(got.firstCode, c.expected.firstCode);
}

const std::string sampleRecord = std::string{'\0', 2, 2, 2} + "Titre|Auteur|E|C1|C2|" +
                                 "Paris|France|Q un|Rome|Italie|Q deux|" + std::string{3} +
                                 "Ville lumi\xE8re||Ville \xE9ternelle||" + std::string{1, 2, 3};

// More lines than questions, so that the stream repeats itself: a stream of
// literal codes only would decode whatever its key (see below).
std::string sampleCodes() {
    std::string codes = "UN\r\nDEUX\r\n";
    for (int i = 3; i <= 40; ++i)
        codes += "CODE " + std::to_string(i) + "\r\n";
    return codes;
}

// The stored packages and the length of the link block's own stream, before
// its padding.
struct StoredQuiz {
    Packages packages;
    size_t linkStream = 0;
};

StoredQuiz stored(bool scramble) {
    StoredQuiz quiz;
    quiz.linkStream = stream(std::string(2, '\0') + "http://lien|Pied|").size();
    quiz.packages.link = test_support::linkBlock("http://lien", "Pied", scramble);
    quiz.packages.record = scramble ? scrambled(stream(sampleRecord), 6) : stream(sampleRecord);
    quiz.packages.codes = scramble ? scrambled(stream(sampleCodes()), 0) : stream(sampleCodes());
    return quiz;
}

const Outcome loaded{"", 2, "http://lien", "Titre", "UN"};
const Outcome linkRefused{linkFailure, 0, "", "nom du zorbe", ""};
const Outcome recordRefused{recordFailure, 0, "http://lien", "nom du zorbe", ""};
const Outcome codesRefused{codesFailure, 2, "http://lien", "Titre", ""};
const Outcome sampleQuiz{noQuiz, 7, "http://lien", "Nom du zorbe", ""};

// Every package cut at every byte, plain and scrambled, gives its package's
// failure. The link block is completed with zeros to its 70 bytes: a cut
// in the padding after its stream changes nothing, and neither does one
// that only drops zeros.
TEST(DamagedPackages, EveryCutOfEveryStoredPackageIsRefused) {
    std::vector<Case> cases;
    for (bool scramble : {false, true}) {
        const StoredQuiz whole = stored(scramble);
        const std::string form = scramble ? "scrambled" : "plain";
        cases.push_back({form + " whole", whole.packages, loaded});
        for (size_t size = 0; size < linkBlockSize; ++size) {
            Packages cut = whole.packages;
            cut.link.resize(size);
            cut.link.resize(linkBlockSize, 0);
            const bool intact = size >= whole.linkStream || cut.link == whole.packages.link;
            cases.push_back({form + " link block cut to " + std::to_string(size), cut,
                             intact ? loaded : linkRefused});
        }
        for (size_t size = 0; size < whole.packages.record->size(); ++size) {
            Packages cut = whole.packages;
            cut.record->resize(size);
            // A quiz record of 0 bytes is no quiz record: the sample quiz.
            cases.push_back({form + " quiz record cut to " + std::to_string(size), cut,
                             size == 0 ? sampleQuiz : recordRefused});
        }
        for (size_t size = 0; size < whole.packages.codes->size(); ++size) {
            Packages cut = whole.packages;
            cut.codes->resize(size);
            cases.push_back(
                {form + " code list cut to " + std::to_string(size), cut, codesRefused});
        }
    }
    for (const Case& c : cases)
        expectOutcome(c);
}

// Scrambled with anything but the key at the right position, a package
// decodes to nothing the loader takes.
TEST(DamagedPackages, PackagesScrambledWithTheWrongKeyAreRefused) {
    const Bytes record = stream(sampleRecord);
    const Bytes codes = stream(sampleCodes());
    const Bytes plainLink = test_support::linkBlock("http://lien", "Pied", false);
    const Bytes scrambledLink = test_support::linkBlock("http://lien", "Pied", true);
    // Another key of the same length: the accent written without it.
    auto otherKey = [](Bytes bytes) {
        const std::string key = "Donnees indisponibles";
        for (size_t i = 1, k = 0; i < bytes.size(); ++i, k = (k + 1) % key.size())
            bytes[i] ^= static_cast<uint8_t>(key[k]);
        return bytes;
    };
    const std::vector<Case> cases = {
        {"record from key 6 after a scrambled link block",
         {scrambledLink, scrambled(record, 6), scrambled(codes, 0)},
         loaded},
        {"record from key 0 after a scrambled link block",
         {scrambledLink, scrambled(record, 0), codes},
         recordRefused},
        {"record from key 6 after a plain link block",
         {plainLink, scrambled(record, 6), codes},
         recordRefused},
        {"record with another key", {plainLink, otherKey(record), codes}, recordRefused},
        {"code list from key 6", {plainLink, record, scrambled(codes, 6)}, codesRefused},
        {"code list with another key", {plainLink, record, otherKey(codes)}, codesRefused},
        {"link block with another key", {otherKey(plainLink), record, codes}, linkRefused},
        {"link block from key 6", {scrambled(plainLink, 6), record, codes}, linkRefused},
    };
    for (const Case& c : cases)
        expectOutcome(c);

    // The format carries no check: a stream of literal codes only (a text
    // that never repeats itself) decodes whatever its key, and the loader
    // takes what it gives. Such a code list is read as garbled codes.
    const Bytes literalsOnly = stream("UN\r\nDEUX\r\n");
    const Outcome garbled = load({plainLink, record, scrambled(literalsOnly, 6)});
    EXPECT_EQ(garbled.message, "");
    EXPECT_NE(garbled.firstCode, "UN");
}

// Records and link blocks that decode well but do not hold what they
// should: a missing separator, counts beyond 96, more bytes than the player
// decodes, code lists without line ends, link blocks whose 70 bytes decode
// to far more.
TEST(DamagedPackages, DecodedContentThatDoesNotFitIsRefusedOrCut) {
    const Bytes link = test_support::linkBlock("http://lien", "Pied", false);
    const std::string texts = "Titre|Auteur|E|C1|C2|";
    auto head = [](int count, int answers) {
        return std::string{'\0', 2, static_cast<char>(count), static_cast<char>(answers)};
    };
    const std::string record = head(2, 1) + texts + "R1|Q1|R2|Q2|" + std::string{'\0', 1, 2, 3};
    const Bytes codes = stream("UN\r\nDEUX\r\n");
    auto questions = [&](int count) {
        std::string text = head(count, 1) + texts;
        for (int j = 0; j < count; ++j)
            text += "R|Q|";
        return text + std::string{'\0', 1, 2, 3};
    };
    LzwEncodeOptions noLimits;
    noLimits.withinPlayerLimits = false;
    // A record whose stream decodes to one byte more than the player's
    // output buffer holds.
    const std::string tooLong = record + std::string(lzwMaxOutput + 1 - record.size(), 'x');
    const std::string longRun(1200, 'l');

    const std::vector<Case> cases = {
        {"record without any separator",
         {link, stream(head(2, 1) + "Titre"), codes},
         recordRefused},
        {"last question text without separator",
         {link, stream(head(2, 1) + texts + "R1|Q1|R2|Q2"), codes},
         recordRefused},
        {"comment without separator",
         {link, stream(head(1, 1) + texts + "R|Q|" + std::string{2} + "comment"), codes},
         recordRefused},
        {"200 questions", {link, stream(questions(200)), codes}, recordRefused},
        {"255 questions", {link, stream(questions(255)), codes}, recordRefused},
        {"record of 120 000 bytes and more",
         {link, stream(tooLong, noLimits), codes},
         recordRefused},
        {"record that decodes to 120 000 bytes",
         {link, stream(tooLong.substr(0, lzwMaxOutput)), codes},
         loaded},
        {"code list without any line end", {link, stream(record), stream("UN")}, loaded},
        {"code list of one return",
         {link, stream(record), stream("\r")},
         {"", 2, "http://lien", "Titre", ""}},
        {"code line of 300 bytes without line end",
         {link, stream(record), stream(std::string(300, 'c'))},
         codesRefused},
        {"code list longer than the player decodes",
         {link, stream(record), stream("UN\r\n" + std::string(lzwMaxOutput, 'c'), noLimits)},
         codesRefused},
        {"link text of 1200 bytes from a 70-byte block",
         {stream(std::string(2, '\0') + longRun + "|Pied|"), stream(record), codes},
         linkRefused},
        {"link block whose footer is followed by 800 bytes",
         {stream(std::string(2, '\0') + "http://lien|Pied|" + longRun.substr(0, 800)),
          stream(record), codes},
         loaded},
        {"link block without any separator",
         {stream(std::string(2, '\0') + longRun), stream(record), codes},
         linkRefused},
    };
    for (const Case& c : cases) {
        ASSERT_LE(c.packages.link.size(), linkBlockSize) << c.name;
        expectOutcome(c);
    }
}

} // namespace
