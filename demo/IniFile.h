/// @file
/// The reader of small settings files.
#pragma once

#include <cstdint>
#include <string>

class FileSource;

/// Reads a small settings file of [sections] and integer keys ("key=value", "//" comments).
/// The whole file is held in memory; one section is selected as a byte range and lookups scan
/// its lines from the start. Names compare as exact bytes; the first matching key wins.
class IniFile {
public:
  IniFile() = default;
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;
  virtual ~IniFile();

  /// Loads the settings file `name`, replacing whatever was loaded. Reads through source when
  /// given, else from disk. False when the file cannot be read whole; the object is then empty. An
  /// empty file loads.
  bool load(const std::string& name, FileSource* source = nullptr);
  /// True when a header line names the section; a failed selection keeps the previous one.
  bool selectSection(const std::string& name);
  /// The value of key in the selected section, or def when the key is missing or its value
  /// does not start with a decimal number.
  int32_t getInt(const std::string& key, int32_t def);
  /// Releases the data and forgets the selection.
  void clear();
  /// Copies the bytes from position up to the next line feed or end into out, and moves
  /// position past that line feed (or to end). A carriage return stays in the line.
  static void readLine(std::string& out, const uint8_t*& position, const uint8_t* end);

  uint8_t* data = nullptr;                ///< the file exactly as stored, new[]-allocated; no zero is added
  const uint8_t* sectionStart = nullptr;  ///< the selected section's first byte after its header line
  const uint8_t* cursor = nullptr;        ///< where the last lookup stopped reading
  const uint8_t* sectionEnd = nullptr;    ///< the next '[' after the section, or dataEnd
  const uint8_t* scan = nullptr;          ///< where the last section search stopped reading
  const uint8_t* dataEnd = nullptr;       ///< one past the file's last byte
  int32_t size = 0;                       ///< the file's length in bytes
  std::string sectionName;                ///< the last name asked for; no lookup reads it
};
