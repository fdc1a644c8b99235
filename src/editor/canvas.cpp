#include "editor/canvas.h"

namespace dm {

void MarkSaved(canvas& marked, const std::string& filePath) {
    marked.filePath = filePath;
    marked.savedImage = marked.img->Copy();
    marked.hassaved = 1;
    ++marked.changes;
}

void NoteImageChange(canvas& changed) {
    const tilemap* saved = changed.savedImage.get();
    const tilemap& image = *changed.img;
    const bool same = saved != nullptr && saved->tmapw == image.tmapw &&
                      saved->tmaph == image.tmaph && saved->tmap == image.tmap;
    changed.hassaved = same ? 1 : 0;
    ++changed.changes;
}

} // namespace dm
