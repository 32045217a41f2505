// The text of data/places-japan.tsv, put into the program by the build.
#pragma once

namespace places {
extern const char* const kJapanTable;
}
