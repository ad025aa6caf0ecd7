#pragma once
// What the main window hands over to the diagram output, and what the total
// diagram computes from the data files. One record for the whole program:
// the main window fills it, the diagram writers read it.

#include <QString>
#include <QStringList>

namespace tolvane {

struct SpringRecord {
    QString DxfKind;             // "All" or "SppOnly"
    QString FreeLength;
    QString InitialCompression;
    QString Stroke;
    QString SetLength;
    QString CompressedLength;
    QString InitialLoadKgf;
    QString StartLoadKgf;
    QString FinalLoadKgf;
    QString StartDistance;

    // The ten fields in record (and data-file) order.
    QStringList fields() const
    {
        return {DxfKind, FreeLength, InitialCompression, Stroke, SetLength,
                CompressedLength, InitialLoadKgf, StartLoadKgf, FinalLoadKgf, StartDistance};
    }
};

SpringRecord& springRecord();
// Nine texts (0..8) once the total diagram assigned them, none before.
QStringList& totalDiagramValues();

}  // namespace tolvane
