#pragma once
// The mode switch on the command line the screen-saver host gives us, such as
//   "C:\Windows\emberhall.scr" /s      emberhall.scr /c:1234      emberhall.scr /p 5678
// Only one letter at a fixed place after the program name is read: the switch mark itself and
// whatever follows the letter are not looked at.

// The letter: with a quoted program name, the third character after the closing quotation mark;
// otherwise the second character after the first blank; 0 when the text ends before it.
char modeLetterOf(const char* commandLine);

enum class SaverMode { Configure, Saver, Exit };

// c or C with a desktop window: the configuration dialog; s, S or no letter: the saver;
// anything else (p for preview, a for password, ...) ends the program at once.
SaverMode chooseMode(char letter, bool haveDesktopWindow);
