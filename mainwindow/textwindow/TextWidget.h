#pragma once
// The two kinds of view a long text is edited in a window of, where their behaviour differs.
enum class TextWidget {
    // A line edit: the text as it is, breaks included; its keys and undo as a line edit has them.
    kLineEdit,
    // A text view: every paragraph break held as one '\n', its form kept beside it.
    kTextView
};
