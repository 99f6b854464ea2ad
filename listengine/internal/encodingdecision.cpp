#include "listengine/internal/encodingdecision.h"

namespace kennfix::listengine::internal {

void EncodingDecision::Start(InputForm form)
{
    Encoding main = m_inputAsked;
    if (main == Encoding::Auto) {
        main = form == InputForm::Utf16LE   ? Encoding::Utf16LE
               : form == InputForm::Utf16BE ? Encoding::Utf16BE
               : form == InputForm::Utf8Bom ? Encoding::Utf8
                                            : Encoding::Auto;
    }
    if (main != Encoding::Auto)
        Decide(main);
    else if (m_outputAsked != Encoding::Auto)
        m_output = m_outputAsked;
}

bool EncodingDecision::Take(const InputRow& row)
{
    if (m_mainRows || row.encoding == RowEncoding::Ascii)
        return false;
    const bool undecided = !decided();
    Decide(row.encoding == RowEncoding::Utf8 ? Encoding::Utf8 : Encoding::Windows1252);
    return undecided;
}

void EncodingDecision::DecideUtf8()
{
    Decide(Encoding::Utf8);
}

void EncodingDecision::Decide(Encoding main)
{
    m_main = main;
    m_mainRows = main == Encoding::Windows1252 ? RowEncoding::Windows1252 : RowEncoding::Utf8;
    if (!m_output)
        m_output = m_outputAsked != Encoding::Auto ? m_outputAsked : main;
}

}  // namespace kennfix::listengine::internal
