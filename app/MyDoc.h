// The document the single-document shell requires. It holds nothing: the
// almanac's state is the main view's and the settings file's.
#pragma once

class CMyDoc {
 public:
  // Re-initialises the (empty) document; the view then runs its initial update.
  bool OnNewDocument() { return true; }
};
