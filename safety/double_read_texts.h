#pragma once
// The texts of a read taken twice and compared; each tool fills them in its messages
// header, in its log language.

namespace tarvex {

// The line naming a failed read's kept bytes, in the tool's own wording.
struct KeptLineTexts {
  const char* lead;         // followed by the file's name
  const char* beforeCount;  // between the name and the byte count
  const char* afterCount;   // after the byte count
};

// A tool's texts for the double read, in its log language.
struct DoubleReadTexts {
  const char* firstRead;       // logged as the first read starts
  const char* secondRead;      // logged as the second read starts
  const char* readsMatch;      // the two reads are equal and the image saved
  const char* differIn;        // followed by the number of differing bytes
  const char* firstAt;         // followed by the first differing address
  const char* checkContacts;   // closes the mismatch line
  const char* readKept;        // followed by the name of a kept read
  const char* unconfirmedKept; // the first read, whole but not compared (the second failed)
  const char* fileWriteFailed; // the equal image could not be saved
  KeptLineTexts partial;
};

}  // namespace tarvex
