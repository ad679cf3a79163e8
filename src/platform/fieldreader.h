#pragma once

#include <QString>

namespace kemoro {

// The platform's sequential input, shared by every text file of the
// installation: fields end at a comma or at a line end (CR LF, CR or LF);
// blanks around a field are dropped; a field that starts with a double quote
// runs to the next double quote and is taken literally. A quote that is never
// closed ends at its line end, so one stray quote cannot swallow the rest of a
// file. An empty line reads as one empty field. Ctrl-Z ends the file.
class FieldReader
{
public:
    struct Field
    {
        QString text;
        int line = 0; // 1-based line on which the field starts
        bool quoted = false;
        bool emptyLine = false;  // the field is a whole empty (or blank) line
        bool lastOnLine = false; // a line end or the end of the file followed it
    };

    explicit FieldReader(QString text);

    bool atEnd() const { return m_pos >= m_end; }
    // Reads the next field; at the end it returns an empty field.
    Field next();
    // Line on which the next field would start.
    int line() const { return m_line; }
    // True when only blank lines (and blanks) remain.
    bool onlyBlankLinesLeft() const;
    // Where the next field would start, and the text from such a place to
    // the end, exactly as it stands (up to a Ctrl-Z).
    qsizetype position() const { return m_pos; }
    QString textFrom(qsizetype position) const { return m_text.mid(position, m_end - position); }

private:
    bool atLineEnd(qsizetype pos) const;
    void consumeLineEnd();

    QString m_text;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    int m_line = 1;
    bool m_atLineStart = true;
};

// Joins fields into one CR LF line as the editors write them: bare, comma
// separated, no quotes.
QString joinLine(const QStringList &fields);

} // namespace kemoro
