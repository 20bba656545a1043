#pragma once
// The names of the saver's data files, relative to a data directory (seams/data_files.h).
constexpr const char* settingsFileName = "emberhall.dat";
constexpr const char* glyphSheetFileName = "fire_fonts/font.tga";
constexpr const char* messageScriptFileName = "fire_data/motd.txt";
constexpr const char* fireSoundFileName = "fire_data/fire.wav";
constexpr const char* playlistFileName = "fire_data/pls.txt";
