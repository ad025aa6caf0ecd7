#include "calc/form.h"

#include <QHash>

namespace tolvane {
namespace {

constexpr const char16_t* kNames[] = {
#define TOLVANE_X(name) u"" #name,
    TOLVANE_FORM_CONTROLS(TOLVANE_X)
#undef TOLVANE_X
};

}  // namespace

QString controlName(Ctl c) { return QString::fromUtf16(kNames[static_cast<int>(c)]); }

std::optional<Ctl> controlByName(QStringView name)
{
    static const QHash<QString, Ctl> byName = [] {
        QHash<QString, Ctl> h;
        for (int i = 0; i < kControlCount; ++i)
            h.insert(QString::fromUtf16(kNames[i]), static_cast<Ctl>(i));
        return h;
    }();
    const auto it = byName.constFind(name.toString());
    if (it == byName.constEnd())
        return std::nullopt;
    return *it;
}

Form::Form() { group_.fill(-1); }

void Form::setText(Ctl c, const QString& text)
{
    ControlState& s = state_[index(c)];
    if (s.text == text)
        return;
    s.text = text;
    notify(c, Prop::Text);
    // Copy: a rule may replace the rule table entry while it runs.
    if (Rule rule = change_[index(c)])
        rule();
}

void Form::setValue(Ctl c, bool selected)
{
    ControlState& s = state_[index(c)];
    if (s.value == selected)
        return;
    if (selected && group_[index(c)] >= 0) {
        for (int i = 0; i < kControlCount; ++i) {
            if (i != index(c) && group_[i] == group_[index(c)] && state_[i].value) {
                state_[i].value = false;
                notify(static_cast<Ctl>(i), Prop::Value);
            }
        }
    }
    s.value = selected;
    notify(c, Prop::Value);
    if (selected) {
        if (Rule rule = click_[index(c)])
            rule();
    }
}

void Form::setListIndex(Ctl c, int i)
{
    state_[index(c)].listIndex = i;
    notify(c, Prop::ListIndex);
    if (i >= 0) {
        if (Rule rule = click_[index(c)])
            rule();
    }
}

#define TOLVANE_SETTER(method, member, prop, type)  \
    void Form::method(Ctl c, type v)                \
    {                                               \
        ControlState& s = state_[index(c)];         \
        if (s.member == v)                          \
            return;                                 \
        s.member = v;                               \
        notify(c, Prop::prop);                      \
    }
TOLVANE_SETTER(setEnabled, enabled, Enabled, bool)
TOLVANE_SETTER(setVisible, visible, Visible, bool)
TOLVANE_SETTER(setForeColor, foreColor, ForeColor, ColorRef)
TOLVANE_SETTER(setBackColor, backColor, BackColor, ColorRef)
TOLVANE_SETTER(setLeft, left, Left, int)
TOLVANE_SETTER(setHeight, height, Height, int)
TOLVANE_SETTER(setPicture, picture, Picture, const QString&)
TOLVANE_SETTER(setItems, items, Items, const QStringList&)
#undef TOLVANE_SETTER

void Form::setSelection(Ctl c, int start, int length)
{
    ControlState& s = state_[index(c)];
    s.selStart = start;
    s.selLength = length;
    notify(c, Prop::Selection);
}

void Form::setSpin(Ctl c, int min, int max, int value)
{
    ControlState& s = state_[index(c)];
    s.spinMin = min;
    s.spinMax = max;
    s.spinValue = value;
    notify(c, Prop::Spin);
}

void Form::setOptionGroup(std::initializer_list<Ctl> group)
{
    const int id = index(*group.begin());
    for (Ctl c : group)
        group_[index(c)] = id;
}

}  // namespace tolvane
