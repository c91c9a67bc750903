#pragma once

#include <QByteArray>

class QObject;

namespace quorvane::PropertyPath {

// Window layouts can only set a control's own properties; the kit's settings objects are
// reached through dynamic properties named "Object.Property" ("Font3D.Highlight"). `apply`
// hands such a property of `owner` on: to the settings object the owner publishes as
// `Object`, or else to the owner's own property `ObjectProperty` ("Font.Color" becomes
// "FontColor"). Colours may be given as colour texts ("clWhite", "$00FF0000") and pictures
// as file or resource names. Returns false when the name has no such target or the value
// does not fit it.
bool apply(QObject* owner, const QByteArray& name);

} // namespace quorvane::PropertyPath
