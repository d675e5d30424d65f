#include "content/quiz_state.h"

#include <cstring>
#include <new>

namespace {

// The fonts and colours every quiz starts with.
constexpr int scoreFontHeight = 25; // cell height
constexpr int scoreFontWeight = 400;
constexpr const char* scoreFontFace = "Arial";
constexpr int titleFontHeight = -15; // character height
constexpr int titleFontWeight = 700;

constexpr uint8_t defaultRed = 90;
constexpr uint8_t defaultGreen = 95;
constexpr uint8_t defaultBlue = 150;

constexpr ui::Colour redColour = ui::rgb(255, 0, 0);
constexpr ui::Colour orangeColour = ui::rgb(255, 100, 0);
constexpr ui::Colour goldColour = ui::rgb(255, 203, 38);
constexpr ui::Colour lightYellowColour = ui::rgb(255, 255, 192);

void releaseBrush(ui::BrushHandle& brush) {
    if (brush)
        ui::deleteBrush(brush);
    brush = nullptr;
}

void releaseFont(ui::FontHandle& font) {
    if (font)
        ui::deleteFont(font);
    font = nullptr;
}

} // namespace

void copyText(const char* text, char* field, int capacity) {
    if (capacity <= 0)
        return;
    size_t length = text ? std::strlen(text) : 0;
    if (length > static_cast<size_t>(capacity - 1))
        length = static_cast<size_t>(capacity - 1);
    if (length > 0)
        std::memcpy(field, text, length);
    field[length] = '\0';
}

QuizState::QuizState() {
    ui::LogicalFont score;
    score.height = scoreFontHeight;
    score.weight = scoreFontWeight;
    copyText(scoreFontFace, score.faceName, sizeof score.faceName);
    scoreFont = ui::createFont(score);

    ui::LogicalFont titleLook;
    titleLook.height = titleFontHeight;
    titleLook.weight = titleFontWeight;
    titleLook.italic = true;
    titleFont = ui::createFont(titleLook);

    quizMode = 0;
    copyText("nom du zorbe", title, textCapacity);
    copyText(" createur", author, textCapacity);

    backgroundRed = defaultRed;
    backgroundGreen = defaultGreen;
    backgroundBlue = defaultBlue;
    backgroundBrush = ui::createSolidBrush(ui::rgb(defaultRed, defaultGreen, defaultBlue));

    questionCount = 2;
    revealMode = 0;
    answersPerQuestion = 1;
    commentsRevealed = 0;

    redBrush = ui::createSolidBrush(redColour);
    orangeBrush = ui::createSolidBrush(orangeColour);
    goldBrush = ui::createSolidBrush(goldColour);
    lightYellowBrush = ui::createSolidBrush(lightYellowColour);

    mediaFolder[0] = '\0';
}

QuizState::~QuizState() {
    releaseBrush(backgroundBrush);
    releaseBrush(redBrush);
    releaseBrush(orangeBrush);
    releaseBrush(goldBrush);
    releaseBrush(lightYellowBrush);
    releaseFont(titleFont);
    releaseFont(answerFont);
    releaseFont(scoreFont);

    QuestionEntry* entry = firstQuestion;
    while (entry) {
        QuestionEntry* next = entry->next;
        delete entry;
        entry = next;
    }
    firstQuestion = nullptr;
    lastQuestion = nullptr;
}

void appendQuestion(QuizState& state, const char* answer1, const char* answer2,
                    const char* questionText) {
    QuestionEntry* entry = new (std::nothrow) QuestionEntry;
    if (!entry)
        return;
    copyText(answer1, entry->answer1, textCapacity);
    copyText(answer2, entry->answer2, textCapacity);
    copyText(questionText, entry->questionText, textCapacity);
    entry->previous = state.lastQuestion;
    if (state.lastQuestion)
        state.lastQuestion->next = entry;
    else
        state.firstQuestion = entry;
    state.lastQuestion = entry;
}

QuestionEntry* questionAt(const QuizState& state, int position) {
    QuestionEntry* entry = state.firstQuestion;
    for (int index = 0; entry && entry->next && index < position; ++index)
        entry = entry->next;
    return entry;
}
