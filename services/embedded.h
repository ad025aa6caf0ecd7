#pragma once
// Files compiled into the program by tolvane_embed() in CMake.

#include <QByteArray>

#include <cstddef>

#define TOLVANE_EMBEDDED(ident)                                                     \
    ([]() -> QByteArray {                                                           \
        extern const char tolvane_embedded_##ident[];                               \
        extern const std::size_t tolvane_embedded_##ident##_size;                   \
        return QByteArray::fromRawData(tolvane_embedded_##ident,                    \
                                       static_cast<qsizetype>(tolvane_embedded_##ident##_size)); \
    }())
