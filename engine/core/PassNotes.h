// What a pass met and could not do that is no row of the trace list, but
// that the user is to know all the same: a database too large to read, a
// store that could not be read at all, a file that cleaning meant to delete
// along with its rows and could not.
// The status line names the first of them; the unattended report names
// each.
#pragma once

#include <string>

#include "engine/core/Categories.h"

namespace engine {

enum class NoteKind : unsigned char {
    TooLarge,    // a database over the read limit: not read, so none of its rows are listed
    Unreadable,  // a folder, jump list or database that could not be listed or read: what it
                 // holds is not known, so the counts are not all there is
    FileLeft,  // a file cleaning deletes or empties along with rows (a history's companions,
               // a database's -wal that still holds removed rows' texts) stays
};

struct PassNote {
    NoteKind kind = NoteKind::TooLarge;
    std::u16string path;  // exact, as Windows holds it
    // FileLeft: why it stays; Unreadable: why it was not read (StillThere
    // where Windows gives no reason), as a row's fate would say it.
    RowFate why = RowFate::StillThere;
};

}  // namespace engine
