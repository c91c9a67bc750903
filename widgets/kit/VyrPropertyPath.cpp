#include "widgets/kit/VyrPropertyPath.h"

#include "data/ColourText.h"
#include "platform/QuorvaneError.h"

#include <QImage>
#include <QMetaProperty>
#include <QObject>
#include <QVariant>

namespace quorvane::PropertyPath {
namespace {
bool write(QObject* target, const QByteArray& property, QVariant value) {
    const QMetaObject* meta = target->metaObject();
    const int index = meta->indexOfProperty(property.constData());
    if (index < 0)
        return false;
    const QMetaProperty prop = meta->property(index);
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (prop.typeId() == QMetaType::UInt) {
            try {
                value = QVariant::fromValue(quint32(ColourText::toColour(text)));
            } catch (const QuorvaneError&) {
                return false;
            }
        } else if (prop.typeId() == QMetaType::QImage) {
            const QImage image(text);
            if (image.isNull())
                return false;
            value = image;
        }
    }
    return prop.write(target, value);
}
} // namespace

bool apply(QObject* owner, const QByteArray& name) {
    const qsizetype dot = name.indexOf('.');
    if (dot <= 0 || dot == name.size() - 1)
        return false;
    const QByteArray object = name.left(dot);
    const QByteArray property = name.mid(dot + 1);
    const QVariant value = owner->property(name.constData());
    if (!value.isValid())
        return false;
    if (auto* settings = owner->property(object.constData()).value<QObject*>())
        return write(settings, property, value);
    return write(owner, object + property, value);
}

} // namespace quorvane::PropertyPath
