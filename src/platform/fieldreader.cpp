#include "platform/fieldreader.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace kemoro {

FieldReader::FieldReader(QString text) : m_text(std::move(text))
{
    m_end = m_text.indexOf(QChar(0x1A));
    if (m_end < 0) m_end = m_text.size();
}

bool FieldReader::atLineEnd(qsizetype pos) const
{
    return pos < m_end && (m_text.at(pos) == u'\r' || m_text.at(pos) == u'\n');
}

void FieldReader::consumeLineEnd()
{
    if (m_pos < m_end && m_text.at(m_pos) == u'\r') {
        ++m_pos;
        if (m_pos < m_end && m_text.at(m_pos) == u'\n') ++m_pos;
    } else if (m_pos < m_end && m_text.at(m_pos) == u'\n') {
        ++m_pos;
    }
    ++m_line;
    m_atLineStart = true;
}

FieldReader::Field FieldReader::next()
{
    Field field;
    const bool startOfLine = m_atLineStart;
    m_atLineStart = false;
    auto isBlank = [&](qsizetype k) { return m_text.at(k) == u' ' || m_text.at(k) == u'\t'; };
    while (m_pos < m_end && isBlank(m_pos))
        ++m_pos;
    field.line = m_line;
    if (m_pos >= m_end) {
        field.emptyLine = startOfLine;
        field.lastOnLine = true;
        return field;
    }
    if (atLineEnd(m_pos)) {
        field.emptyLine = startOfLine;
        field.lastOnLine = true;
        consumeLineEnd();
        return field;
    }
    if (m_text.at(m_pos) == u'"') {
        field.quoted = true;
        const qsizetype start = ++m_pos;
        while (m_pos < m_end && m_text.at(m_pos) != u'"' && !atLineEnd(m_pos))
            ++m_pos;
        field.text = m_text.mid(start, m_pos - start);
        if (m_pos < m_end && m_text.at(m_pos) == u'"') ++m_pos;
        // Whatever follows the closing quote up to the delimiter is dropped.
        while (m_pos < m_end && m_text.at(m_pos) != u',' && !atLineEnd(m_pos))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_end && m_text.at(m_pos) != u',' && !atLineEnd(m_pos))
            ++m_pos;
        qsizetype e = m_pos;
        while (e > start && isBlank(e - 1))
            --e;
        field.text = m_text.mid(start, e - start);
    }
    if (m_pos < m_end && m_text.at(m_pos) == u',') {
        ++m_pos;
    } else {
        field.lastOnLine = true;
        if (m_pos < m_end) consumeLineEnd();
    }
    return field;
}

bool FieldReader::onlyBlankLinesLeft() const
{
    for (qsizetype k = m_pos; k < m_end; ++k) {
        const QChar c = m_text.at(k);
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
    }
    return true;
}

QString joinLine(const QStringList &fields)
{
    return fields.join(u',') + u"\r\n"_s;
}

} // namespace kemoro
