#include "content/package_writer.h"

#include "content/content_loader.h"
#include "content/lzw.h"
#include "content/lzw_encoder.h"
#include "content/quiz_state.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

constexpr int maxTextLength = textCapacity - 1;
constexpr int maxLinkLength = linkTextCapacity - 1;
constexpr int maxFooterLength = footerTextCapacity - 1;

// What the player does with an answer (see the judge): typed answers are
// cut to the edit's 55 characters and lose their outer blanks, and answers
// of at most 3 characters take an exact match only.
constexpr size_t answerEditLength = 55;
constexpr size_t exactMatchLength = 3;
constexpr const char* noSecondAnswer = "-";

constexpr int quizModeCount = 4;
constexpr int revealModeCount = 6;
constexpr int revealComment = 2;
constexpr int revealCommentAndPicture = 3;
constexpr int revealAllComments = 4;

constexpr const char* lineEnd = "\r\n";

// Tries with one early widen code at a different place, when a scrambled
// stream would also decode without descrambling.
constexpr size_t maxWidenPlacements = 256;

bool carriesComments(int revealMode) {
    return revealMode == revealComment || revealMode == revealCommentAndPicture ||
           revealMode == revealAllComments;
}

std::string questionField(size_t index, const char* name) {
    return "question[" + std::to_string(index + 1) + "]." + name;
}

void checkText(const std::string& text, const std::string& field, size_t limit,
               std::vector<SourceFinding>& errors) {
    if (text.find(textSeparator) != std::string::npos)
        errors.push_back({field, "holds \"|\", which ends a text in the stored quiz"});
    if (text.size() > limit)
        errors.push_back({field, "has " + std::to_string(text.size()) + " characters; at most " +
                                     std::to_string(limit) + " fit"});
}

// The judge's case folding: a-z and the accented small letters move up by
// 0x20.
std::string foldCase(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) {
        unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 0x61 && byte <= 0x7A) || byte >= 0xE0)
            c = static_cast<char>(byte - 0x20);
    }
    return folded;
}

void checkAnswer(const std::string& answer, const std::string& field,
                 std::vector<SourceFinding>& warnings) {
    if (answer.empty()) {
        warnings.push_back({field, "is empty: it can never be judged BRAVO"});
        return;
    }
    if (answer.front() == ' ' || answer.back() == ' ')
        warnings.push_back({field, "begins or ends with a blank: typed answers lose theirs, so "
                                   "it can never be judged BRAVO"});
    if (answer.size() > answerEditLength)
        warnings.push_back({field, "is longer than the 55 characters an answer field takes: it "
                                   "can never be judged BRAVO"});
    if (answer.size() <= exactMatchLength)
        warnings.push_back(
            {field, "has at most 3 characters: only an exact answer is accepted, with no hint"});
}

void appendText(std::vector<uint8_t>& record, const std::string& text) {
    record.insert(record.end(), text.begin(), text.end());
    record.push_back(static_cast<uint8_t>(textSeparator));
}

bool sameBytes(const std::unique_ptr<uint8_t[]>& decoded, size_t size,
               const std::vector<uint8_t>& record) {
    return size == record.size() &&
           (size == 0 || std::memcmp(decoded.get(), record.data(), size) == 0);
}

// Whether the loader would read stored back as record: decoded as it is
// when plain; when scrambled, refused as it is and decoded once
// descrambled from keyPosition.
bool readsBack(std::vector<uint8_t> stored, bool scrambled, int keyPosition,
               const std::vector<uint8_t>& record) {
    std::unique_ptr<uint8_t[]> decoded;
    size_t size = 0;
    int result = decode(stored.data(), stored.size(), decoded, size);
    if (!scrambled)
        return result == decodeOk && sameBytes(decoded, size, record);
    if (result == decodeOk)
        return false;
    scrambleBytes(stored.data(), stored.size(), keyPosition);
    return decode(stored.data(), stored.size(), decoded, size) == decodeOk &&
           sameBytes(decoded, size, record);
}

// Encodes one record into stored bytes, padded with zeros to padTo when it
// is given. A scrambled package whose stream happens to decode even
// without descrambling would be taken as plain by the loader; another
// placement of one early widen code changes every following code, and the
// first placement that reads back right is kept.
int encodePackage(const std::vector<uint8_t>& record, bool scrambled, int keyPosition, size_t padTo,
                  std::vector<uint8_t>& stored) {
    LzwStream stream;
    int result = lzwEncode(record.data(), record.size(), stream);
    if (result == lzwEncodeInputTooLong || result == lzwEncodeStreamTooLong)
        return packRecordTooLong;
    if (result != lzwEncodeOk)
        return packEncodingFailed;
    if (padTo && stream.bytes.size() > padTo)
        return packLinkBlockTooLong;
    const size_t placements =
        stream.dataCodes < maxWidenPlacements ? stream.dataCodes : maxWidenPlacements;
    for (size_t placement = 0; placement <= placements; ++placement) {
        if (placement > 0) {
            LzwEncodeOptions options;
            options.widenBefore.push_back(placement);
            if (lzwEncode(record.data(), record.size(), options, stream) != lzwEncodeOk)
                continue;
            if (padTo && stream.bytes.size() > padTo)
                continue;
        }
        std::vector<uint8_t> candidate = stream.bytes;
        if (padTo)
            candidate.resize(padTo, 0);
        if (scrambled)
            scrambleBytes(candidate.data(), candidate.size(), keyPosition);
        if (readsBack(candidate, scrambled, keyPosition, record)) {
            stored = std::move(candidate);
            return packOk;
        }
    }
    return packEncodingFailed;
}

} // namespace

void checkQuizSource(const QuizSource& source, std::vector<SourceFinding>& errors,
                     std::vector<SourceFinding>& warnings) {
    if (source.quizMode < 0 || source.quizMode >= quizModeCount)
        errors.push_back({"mode", "must be list, pictures, audio or video"});
    if (source.answersPerQuestion != 1 && source.answersPerQuestion != 2)
        errors.push_back({"answers", "must be 1 or 2"});
    if (source.revealMode < 0 || source.revealMode >= revealModeCount)
        errors.push_back({"reveal", "must be one of the six reveal modes"});

    checkText(source.linkText, "link", maxLinkLength, errors);
    checkText(source.footerText, "footer", maxFooterLength, errors);
    if (source.linkText.size() <= static_cast<size_t>(maxLinkLength) &&
        source.footerText.size() <= static_cast<size_t>(maxFooterLength)) {
        std::vector<uint8_t> record = linkRecord(source);
        LzwStream stream;
        if (lzwEncode(record.data(), record.size(), stream) == lzwEncodeOk &&
            stream.bytes.size() > linkBlockSize)
            errors.push_back({"link", "link and footer take " +
                                          std::to_string(stream.bytes.size()) +
                                          " bytes once encoded; the link block holds 70"});
    }

    checkText(source.title, "title", maxTextLength, errors);
    checkText(source.author, "author", maxTextLength, errors);
    checkText(source.explanation, "explanation", maxTextLength, errors);
    checkText(source.columnLabel1, "column1", maxTextLength, errors);
    checkText(source.columnLabel2, "column2", maxTextLength, errors);

    if (source.questions.size() > static_cast<size_t>(maxQuestions))
        errors.push_back({"question", "has " + std::to_string(source.questions.size()) +
                                          " questions; a quiz holds at most 96"});
    const bool twoAnswers = source.answersPerQuestion == 2;
    const bool revealKnown = source.revealMode >= 0 && source.revealMode < revealModeCount;
    if (twoAnswers && source.quizMode == 0 && !source.questions.empty())
        warnings.push_back({"answers", "a list quiz shows one answer field per question: "
                                       "second answers can never be typed"});

    std::map<std::string, std::string> answersSeen; // folded answer -> first field
    for (size_t i = 0; i < source.questions.size(); ++i) {
        const SourceQuestion& question = source.questions[i];
        const std::string answer1Field = questionField(i, "answer1");
        const std::string answer2Field = questionField(i, "answer2");
        checkText(question.answer1, answer1Field, maxTextLength, errors);
        checkText(question.answer2, answer2Field, maxTextLength, errors);
        checkText(question.questionText, questionField(i, "text"), maxTextLength, errors);
        checkText(question.comment, questionField(i, "comment"), maxTextLength, errors);
        if (source.answersPerQuestion == 1 && !question.answer2.empty())
            errors.push_back({answer2Field, "is stored only with two answers per question"});
        if (revealKnown && !carriesComments(source.revealMode) && !question.comment.empty())
            errors.push_back({questionField(i, "comment"),
                              "is stored only with the reveal modes comment, "
                              "comment-and-picture and all-comments"});

        std::vector<std::pair<std::string, std::string>> answers = {
            {question.answer1, answer1Field}};
        if (twoAnswers && question.answer2 != noSecondAnswer)
            answers.push_back({question.answer2, answer2Field});
        std::map<std::string, std::string> ownAnswers;
        for (const auto& [answer, field] : answers) {
            checkAnswer(answer, field, warnings);
            if (answer.empty())
                continue;
            std::string folded = foldCase(answer);
            auto seen = answersSeen.find(folded);
            if (seen != answersSeen.end())
                warnings.push_back({field, "is the same answer as " + seen->second});
            else
                ownAnswers.emplace(folded, field);
        }
        answersSeen.insert(ownAnswers.begin(), ownAnswers.end());
    }

    if (source.codes.size() > source.questions.size())
        errors.push_back({"codes", "has " + std::to_string(source.codes.size()) + " codes for " +
                                       std::to_string(source.questions.size()) +
                                       (source.questions.size() == 1 ? " question" : " questions") +
                                       "; codes past the last score are never shown"});
    for (size_t i = 0; i < source.codes.size(); ++i) {
        const std::string field = "codes[" + std::to_string(i + 1) + "]";
        const std::string& code = source.codes[i];
        if (code.find_first_of("\r\n") != std::string::npos)
            errors.push_back({field, "holds a line break, which ends a code in the stored quiz"});
        if (code.size() > static_cast<size_t>(maxTextLength))
            errors.push_back(
                {field, "has " + std::to_string(code.size()) + " characters; at most 259 fit"});
    }
}

std::vector<uint8_t> linkRecord(const QuizSource& source) {
    std::vector<uint8_t> record = {0, 0}; // two bytes the loader skips
    appendText(record, source.linkText);
    appendText(record, source.footerText);
    return record;
}

std::vector<uint8_t> quizRecord(const QuizSource& source) {
    std::vector<uint8_t> record = {
        0, // not read
        static_cast<uint8_t>(source.quizMode + 1),
        static_cast<uint8_t>(source.questions.size()),
        static_cast<uint8_t>(source.answersPerQuestion),
    };
    appendText(record, source.title);
    appendText(record, source.author);
    appendText(record, source.explanation);
    appendText(record, source.columnLabel1);
    appendText(record, source.columnLabel2);
    for (const SourceQuestion& question : source.questions) {
        appendText(record, question.answer1);
        if (source.answersPerQuestion == 2)
            appendText(record, question.answer2);
        appendText(record, question.questionText);
    }
    record.push_back(static_cast<uint8_t>(source.revealMode));
    if (carriesComments(source.revealMode)) {
        for (const SourceQuestion& question : source.questions) {
            appendText(record, question.comment);
            // The loader skips a second text per question in this mode.
            if (source.revealMode == revealCommentAndPicture)
                appendText(record, "");
        }
    }
    record.push_back(source.backgroundRed);
    record.push_back(source.backgroundGreen);
    record.push_back(source.backgroundBlue);
    return record;
}

std::vector<uint8_t> codeListRecord(const QuizSource& source) {
    std::vector<uint8_t> record;
    for (const std::string& code : source.codes) {
        record.insert(record.end(), code.begin(), code.end());
        record.insert(record.end(), lineEnd, lineEnd + 2);
    }
    // A stream holds at least one byte; one empty line reads as no code.
    if (record.empty())
        record.insert(record.end(), lineEnd, lineEnd + 2);
    return record;
}

int packQuiz(const QuizSource& source, bool scrambled, QuizPackages& packages) {
    std::vector<SourceFinding> errors;
    std::vector<SourceFinding> warnings;
    checkQuizSource(source, errors, warnings);
    if (!errors.empty())
        return packInvalidSource;

    std::vector<uint8_t> link;
    int result = encodePackage(linkRecord(source), scrambled, 0, linkBlockSize, link);
    if (result != packOk)
        return result;
    std::memcpy(packages.linkBlock, link.data(), linkBlockSize);

    // The loader descrambles the quiz record from where the link block's
    // descrambling stopped.
    int recordKey = scrambled ? quizRecordKeyAfterScrambledLink : 0;
    result = encodePackage(quizRecord(source), scrambled, recordKey, 0, packages.quizRecord);
    if (result != packOk)
        return result;
    return encodePackage(codeListRecord(source), scrambled, 0, 0, packages.codeList);
}

int findLinkBlock(const uint8_t* file, size_t size, size_t& offset) {
    // A Windows program keeps its quiz among its own resources, which the
    // archive appended on other systems does not reach.
    if (size >= 2 && file[0] == 'M' && file[1] == 'Z')
        return linkBlockWindowsProgram;
    const uint8_t* marker = linkBlockMarker();
    const uint8_t* end = file + size;
    const uint8_t* found = std::search(file, end, marker, marker + linkBlockMarkerSize);
    if (found == end)
        return linkBlockMissing;
    if (std::search(found + 1, end, marker, marker + linkBlockMarkerSize) != end)
        return linkBlockAmbiguous;
    size_t at = static_cast<size_t>(found - file) + linkBlockMarkerSize;
    if (size - at < linkBlockSize)
        return linkBlockCut;
    offset = at;
    return linkBlockFound;
}

const char* linkBlockSearchText(int result) {
    switch (result) {
    case linkBlockFound: return "link block found";
    case linkBlockMissing: return "no link block: not a Zorbe player";
    case linkBlockAmbiguous: return "the link block marker occurs more than once";
    case linkBlockCut: return "the link block is cut short";
    case linkBlockWindowsProgram:
        return "a Windows player: its quiz lives in resources of the executable, which this "
               "tool does not read or write yet";
    default: return "link block search failed";
    }
}
