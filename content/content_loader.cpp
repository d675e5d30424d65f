#include "content/content_loader.h"

#include "content/lzw.h"
#include "platform/resources.h"
#include "platform/ui.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// The loader's messages; every one has the caption "Zorbe".
constexpr const char* messageCaption = "Zorbe";
constexpr const char* linkBlockFailure = "Erreur dans le d\xE9"
                                         "cryptage";
constexpr const char* quizRecordFailure = "Erreur dans le d\xE9"
                                          "cryptage des reponses";
constexpr const char* codeListFailure = "Erreur dans le d\xE9"
                                        "cryptage des codes";
constexpr const char* noQuizMessage = ScrambleKey;

// Layout of the decoded link block: two unused bytes, then the texts.
constexpr size_t linkTextStart = 2;

// Layout of the decoded quiz record: an unused byte, then three bytes of
// modes and counts, then the texts.
constexpr size_t quizModeByte = 1;
constexpr size_t questionCountByte = 2;
constexpr size_t answersPerQuestionByte = 3;
constexpr size_t quizTextsStart = 4;

// Reveal modes that carry texts in the quiz record.
constexpr int revealComment = 2;
constexpr int revealCommentAndPicture = 3; // a comment, then a text that is skipped
constexpr int revealAllComments = 4;

// Code list lines end with a carriage return and a line feed.
constexpr uint8_t carriageReturn = 0x0D;
constexpr size_t lineEndLength = 2;

// The sample quiz of a program that carries none.
constexpr const char* sampleTitle = "Nom du zorbe";
constexpr const char* sampleAuthor = "Createur zorbe";
constexpr const char* sampleExplanation = "Explications du zorbe";
constexpr const char* sampleColumnLabel = "TEST";
constexpr const char* sampleAnswer = "TEST";
constexpr const char* sampleQuestion = "emplacement";
constexpr int sampleQuestionCount = 7; // shown over the two entries below
constexpr int sampleEntries = 2;
constexpr int sampleRevealMode = 3;
constexpr int sampleQuizMode = 1;
constexpr uint8_t sampleRed = 51;
constexpr uint8_t sampleGreen = 102;
constexpr uint8_t sampleBlue = 255;

void tell(const char* text) {
    ui::messageBox(text, messageCaption);
}

struct DecodedPackage {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    bool scrambled = false;
    int keyAfter = 0; // key position after the descrambled bytes
};

// Opening a package: decoded as stored; if that fails, descrambled in place
// from keyPosition and decoded again. stored is the loader's own copy.
bool openPackage(std::vector<uint8_t>& stored, int keyPosition, DecodedPackage& package) {
    static const uint8_t nothing = 0;
    const uint8_t* input = stored.empty() ? &nothing : stored.data();
    package.scrambled = false;
    package.keyAfter = keyPosition;
    if (decode(input, stored.size(), package.bytes, package.size) == decodeOk)
        return true;
    package.scrambled = true;
    package.keyAfter = scrambleBytes(stored.data(), stored.size(), keyPosition);
    if (decode(input, stored.size(), package.bytes, package.size) == decodeOk)
        return true;
    package.bytes.reset();
    package.size = 0;
    return false;
}

std::vector<uint8_t> copyResource(const char* type, int id) {
    ResourceBytes resource = findResource(type, id);
    std::vector<uint8_t> stored;
    if (resource.data && resource.size > 0)
        stored.assign(resource.data, resource.data + resource.size);
    releaseResource(resource);
    return stored;
}

// Reads the decoded bytes of a package from front to back. Every read stays
// within the data and within the field it fills; a read that cannot be
// completed fails, and the caller refuses the package.
struct PackageReader {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
};

bool readByte(PackageReader& reader, uint8_t& value) {
    if (reader.position >= reader.size)
        return false;
    value = reader.data[reader.position++];
    return true;
}

// A text: the bytes up to the next separator, which is consumed but not
// copied. Fails when no separator follows, or when the text does not fit a
// field of capacity bytes with its terminating zero. A null field skips it.
bool readText(PackageReader& reader, char* field, int capacity) {
    size_t start = reader.position;
    if (start >= reader.size)
        return false;
    const void* found = std::memchr(reader.data + start, textSeparator, reader.size - start);
    if (!found)
        return false;
    size_t length = static_cast<const uint8_t*>(found) - (reader.data + start);
    if (field) {
        if (length > static_cast<size_t>(capacity - 1))
            return false;
        std::memcpy(field, reader.data + start, length);
        field[length] = '\0';
    }
    reader.position = start + length + 1;
    return true;
}

// The link block's two texts.
struct LinkTexts {
    char linkText[linkTextCapacity] = {};
    char footerText[footerTextCapacity] = {};
};

bool parseLinkBlock(const DecodedPackage& package, LinkTexts& texts) {
    PackageReader reader{package.bytes.get(), package.size, 0};
    if (reader.size < linkTextStart)
        return false;
    reader.position = linkTextStart;
    return readText(reader, texts.linkText, linkTextCapacity) &&
           readText(reader, texts.footerText, footerTextCapacity);
}

struct RecordQuestion {
    char answer1[textCapacity] = {};
    char answer2[textCapacity] = {};
    char questionText[textCapacity] = {};
    char comment[textCapacity] = {};
};

// Everything a quiz record holds, read in full before the state is touched,
// so that a refused record leaves the state as it was.
struct QuizRecord {
    int quizMode = 0;
    int questionCount = 0;
    int answersPerQuestion = 0;
    char title[textCapacity] = {};
    char author[textCapacity] = {};
    char explanation[textCapacity] = {};
    char columnLabel1[textCapacity] = {};
    char columnLabel2[textCapacity] = {};
    RecordQuestion questions[maxQuestions];
    int revealMode = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

bool parseQuizRecord(const DecodedPackage& package, QuizRecord& record) {
    PackageReader reader{package.bytes.get(), package.size, 0};
    if (reader.size < quizTextsStart)
        return false;
    record.quizMode = reader.data[quizModeByte] - 1;
    record.questionCount = reader.data[questionCountByte];
    record.answersPerQuestion = reader.data[answersPerQuestionByte];
    if (record.questionCount > maxQuestions)
        return false;
    reader.position = quizTextsStart;
    char* headerTexts[] = {record.title, record.author, record.explanation, record.columnLabel1,
                           record.columnLabel2};
    for (char* text : headerTexts) {
        if (!readText(reader, text, textCapacity))
            return false;
    }
    for (int j = 0; j < record.questionCount; ++j) {
        RecordQuestion& question = record.questions[j];
        if (!readText(reader, question.answer1, textCapacity))
            return false;
        if (record.answersPerQuestion == 2 && !readText(reader, question.answer2, textCapacity))
            return false;
        if (!readText(reader, question.questionText, textCapacity))
            return false;
    }
    uint8_t revealMode = 0;
    if (!readByte(reader, revealMode))
        return false;
    record.revealMode = revealMode;
    if (revealMode == revealComment || revealMode == revealCommentAndPicture ||
        revealMode == revealAllComments) {
        for (int j = 0; j < record.questionCount; ++j) {
            if (!readText(reader, record.questions[j].comment, textCapacity))
                return false;
            if (revealMode == revealCommentAndPicture && !readText(reader, nullptr, 0))
                return false;
        }
    }
    return readByte(reader, record.red) && readByte(reader, record.green) &&
           readByte(reader, record.blue);
}

void replaceBackground(QuizState& state, uint8_t red, uint8_t green, uint8_t blue) {
    state.backgroundRed = red;
    state.backgroundGreen = green;
    state.backgroundBlue = blue;
    // The constructed brush is released here: the state owns one background
    // brush at a time.
    if (state.backgroundBrush)
        ui::deleteBrush(state.backgroundBrush);
    state.backgroundBrush = ui::createSolidBrush(ui::rgb(red, green, blue));
}

void applyQuizRecord(const QuizRecord& record, QuizState& state) {
    state.quizMode = record.quizMode;
    state.questionCount = record.questionCount;
    state.answersPerQuestion = record.answersPerQuestion;
    copyText(record.title, state.title, textCapacity);
    copyText(record.author, state.author, textCapacity);
    copyText(record.explanation, state.explanation, textCapacity);
    copyText(record.columnLabel1, state.columnLabel1, textCapacity);
    copyText(record.columnLabel2, state.columnLabel2, textCapacity);
    for (int j = 0; j < record.questionCount; ++j) {
        const RecordQuestion& question = record.questions[j];
        appendQuestion(state, question.answer1, question.answer2, question.questionText);
    }
    state.revealMode = record.revealMode;
    if (record.revealMode == revealComment || record.revealMode == revealCommentAndPicture ||
        record.revealMode == revealAllComments) {
        for (int j = 0; j < record.questionCount; ++j) {
            if (QuestionEntry* entry = questionAt(state, j))
                copyText(record.questions[j].comment, entry->comment, textCapacity);
        }
    }
    replaceBackground(state, record.red, record.green, record.blue);
}

struct CodeLines {
    char codes[maxQuestions][textCapacity] = {};
};

// Line i is the code for score i + 1. A line runs to a carriage return or
// the end of the data, and the next one starts two bytes past that return;
// lines starting at or past the end are empty.
bool parseCodeList(const DecodedPackage& package, int questionCount, CodeLines& lines) {
    const uint8_t* data = package.bytes.get();
    size_t position = 0;
    for (int i = 0; i < questionCount && i < maxQuestions; ++i) {
        size_t length = 0;
        if (position < package.size) {
            const void* end = std::memchr(data + position, carriageReturn, package.size - position);
            length = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - (data + position))
                         : package.size - position;
        }
        if (length > static_cast<size_t>(textCapacity - 1))
            return false;
        if (length > 0)
            std::memcpy(lines.codes[i], data + position, length);
        lines.codes[i][length] = '\0';
        if (position < package.size)
            position += length + lineEndLength;
    }
    return true;
}

void installSampleQuiz(QuizState& state) {
    tell(noQuizMessage);
    copyText(sampleTitle, state.title, textCapacity);
    copyText(sampleAuthor, state.author, textCapacity);
    copyText(sampleExplanation, state.explanation, textCapacity);
    copyText(sampleColumnLabel, state.columnLabel1, textCapacity);
    copyText(sampleColumnLabel, state.columnLabel2, textCapacity);
    replaceBackground(state, sampleRed, sampleGreen, sampleBlue);
    state.questionCount = sampleQuestionCount;
    state.revealMode = sampleRevealMode;
    state.quizMode = sampleQuizMode;
    state.answersPerQuestion = 1;
    for (int i = 0; i < sampleEntries; ++i)
        appendQuestion(state, sampleAnswer, sampleAnswer, sampleQuestion);
}

} // namespace

int scrambleBytes(uint8_t* bytes, size_t size, int keyPosition) {
    if (keyPosition < 0 || keyPosition >= scrambleKeyLength)
        keyPosition = 0;
    for (size_t i = 1; i < size; ++i) {
        bytes[i] ^= static_cast<uint8_t>(ScrambleKey[keyPosition]);
        if (++keyPosition == scrambleKeyLength)
            keyPosition = 0;
    }
    return keyPosition;
}

void loadContent(QuizState& state) {
    // The link block: the program's 70 bytes, descrambled in a private copy.
    const uint8_t* storedLink = programLinkBlock();
    std::vector<uint8_t> linkBytes(storedLink, storedLink + linkBlockSize);
    DecodedPackage link;
    LinkTexts texts;
    if (!openPackage(linkBytes, 0, link) || !parseLinkBlock(link, texts)) {
        tell(linkBlockFailure);
        state.questionCount = 0;
        return;
    }
    copyText(texts.linkText, state.linkText, linkTextCapacity);
    copyText(texts.footerText, state.footerText, footerTextCapacity);
    int quizRecordKey = link.scrambled ? link.keyAfter : 0;
    link.bytes.reset();

    std::vector<uint8_t> recordBytes = copyResource(packageResourceType, quizRecordId);
    if (recordBytes.empty()) {
        installSampleQuiz(state);
        return;
    }
    DecodedPackage recordPackage;
    std::unique_ptr<QuizRecord> record(new (std::nothrow) QuizRecord);
    if (!record || !openPackage(recordBytes, quizRecordKey, recordPackage) ||
        !parseQuizRecord(recordPackage, *record)) {
        tell(quizRecordFailure);
        state.questionCount = 0;
        return;
    }
    recordPackage.bytes.reset();
    applyQuizRecord(*record, state);
    record.reset();

    std::vector<uint8_t> codeBytes = copyResource(packageResourceType, codeListId);
    DecodedPackage codePackage;
    std::unique_ptr<CodeLines> lines(new (std::nothrow) CodeLines);
    if (!lines || !openPackage(codeBytes, 0, codePackage) ||
        !parseCodeList(codePackage, state.questionCount, *lines)) {
        tell(codeListFailure);
        return;
    }
    for (int i = 0; i < state.questionCount && i < maxQuestions; ++i)
        copyText(lines->codes[i], state.codes[i], textCapacity);
}
