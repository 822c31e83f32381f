#include "ui/GridTitles.h"

namespace tovallo::ui {

const QStringList& GridTitleTable() {
    static const QStringList titles = {
        QString::fromUtf8("Имя изображения"),
        QString::fromUtf8("Адрес"),
        QString::fromUtf8("Размер"),
        QString::fromUtf8("Разрешение"),
        QString::fromUtf8("Цвет"),
        QString::fromUtf8("Тип"),
        QString::fromUtf8("#"),
        QString::fromUtf8("Искомая строка"),
        QString::fromUtf8("Нач. адрес"),
        QString::fromUtf8("Кон. адрес"),
        QString::fromUtf8("Заменить на строку"),
        QString::fromUtf8("Размер"),
        QString::fromUtf8("UTF"),
        QString::fromUtf8("Адрес"),
        QString::fromUtf8("Размер"),
        QString(),
        QString::fromUtf8("Индекс"),
        QString::fromUtf8("Тип"),
        QString::fromUtf8("Нач. адрес"),
        QString::fromUtf8("Размер"),
        QString::fromUtf8("Значение (двойной клик - просмотр)"),
        QString(),
        QString::fromUtf8("Start addr"),
        QString::fromUtf8("Stop addr"),
    };
    return titles;
}

QStringList GridTitles(int first, int count) {
    return GridTitleTable().mid(first, count);
}

} // namespace tovallo::ui
