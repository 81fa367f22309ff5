#pragma once
// The skin's colours, chosen for a dark player: light neutral glyphs, white under the
// mouse, one blue accent for pressed pictures and the played part of the seek bar.
#include <QColor>

namespace skin {

inline const QColor kGlyphNormal{0xc8, 0xcd, 0xd5};
inline const QColor kGlyphOver{0xff, 0xff, 0xff};
inline const QColor kGlyphPressed{0x3d, 0x9b, 0xf0};
inline const QColor kGlyphDisabled{0x58, 0x5d, 0x66};

inline const QColor kTrackTop{0xe2, 0xe5, 0xea};
inline const QColor kTrackBottom{0xa9, 0xb0, 0xb9};
inline const QColor kTrackEdge{0x6e, 0x75, 0x7f};
inline const QColor kFillTop{0x4d, 0xa8, 0xf6};
inline const QColor kFillBottom{0x1d, 0x68, 0xbd};
inline const QColor kFillEdge{0x13, 0x46, 0x82};

inline const QColor kBackgroundTop{0x1a, 0x1d, 0x22};
inline const QColor kBackgroundBottom{0x0b, 0x0c, 0x0f};
inline const QColor kLeftEye{0xe5, 0x3e, 0x3e};
inline const QColor kRightEye{0x1f, 0xc8, 0xdb};
inline const QColor kTagline{0x8b, 0x92, 0x9c};

}  // namespace skin
