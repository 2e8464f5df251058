#pragma once

#include <QString>
#include <QStringList>

class FileLocations;

// The ten entries of "Configurazione Origini SQL/Parametri": a caption each
// and the file it opens for editing.
namespace configfiles {

inline constexpr int kSharedDbEntry = 1;

QStringList captions();
// Empty for an index outside 0..9.
QString path(const FileLocations &files, int index);

} // namespace configfiles
