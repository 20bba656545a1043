#include <gtest/gtest.h>

#include "windows/mode_letter.h"

TEST(ModeLetter, plainAndQuotedProgramNames) {
    EXPECT_EQ(modeLetterOf("saver.scr /s"), 's');
    EXPECT_EQ(modeLetterOf("saver.scr /S"), 'S');
    EXPECT_EQ(modeLetterOf("\"C:\\Program Files\\My Savers\\saver.scr\" /s"), 's');
    EXPECT_EQ(modeLetterOf("\"C:\\Windows\\saver.scr\" /c:1234"), 'c');
    EXPECT_EQ(modeLetterOf("saver.scr /C"), 'C');
    EXPECT_EQ(modeLetterOf("saver.scr /p 1234"), 'p');
    EXPECT_EQ(modeLetterOf("saver.scr /a"), 'a');
}

TEST(ModeLetter, theSwitchMarkIsNotLookedAt) {
    EXPECT_EQ(modeLetterOf("saver.scr -s"), 's');
    EXPECT_EQ(modeLetterOf("saver.scr xc"), 'c');
}

TEST(ModeLetter, programNameAloneGivesNoLetter) {
    EXPECT_EQ(modeLetterOf("saver.scr"), 0);
    EXPECT_EQ(modeLetterOf("\"C:\\My Savers\\saver.scr\""), 0);
    EXPECT_EQ(modeLetterOf("saver.scr "), 0);
    EXPECT_EQ(modeLetterOf("saver.scr /"), 0);
    EXPECT_EQ(modeLetterOf("\"saver.scr\" /"), 0);
    EXPECT_EQ(modeLetterOf("\"unclosed quote /s"), 0);
    EXPECT_EQ(modeLetterOf(""), 0);
    EXPECT_EQ(modeLetterOf("\""), 0);
    EXPECT_EQ(modeLetterOf(nullptr), 0);
}

TEST(ModeLetter, theLetterIsTakenAtItsFixedPlace) {
    // Two blanks: the slash stands where the letter should.
    EXPECT_EQ(modeLetterOf("saver.scr  /s"), '/');
    // An unquoted path with a blank: two places after the first blank is the a of Savers.
    EXPECT_EQ(modeLetterOf("C:\\My Savers\\saver.scr /s"), 'a');
}

TEST(ModeDispatch, lettersChooseTheMode) {
    EXPECT_EQ(chooseMode('s', true), SaverMode::Saver);
    EXPECT_EQ(chooseMode('S', true), SaverMode::Saver);
    EXPECT_EQ(chooseMode(0, true), SaverMode::Saver);
    EXPECT_EQ(chooseMode('s', false), SaverMode::Saver);
    EXPECT_EQ(chooseMode('c', true), SaverMode::Configure);
    EXPECT_EQ(chooseMode('C', true), SaverMode::Configure);
    EXPECT_EQ(chooseMode('c', false), SaverMode::Exit);
    EXPECT_EQ(chooseMode('p', true), SaverMode::Exit);
    EXPECT_EQ(chooseMode('a', true), SaverMode::Exit);
    EXPECT_EQ(chooseMode('/', true), SaverMode::Exit);
    EXPECT_EQ(chooseMode('x', true), SaverMode::Exit);
}
