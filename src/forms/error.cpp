#include "forms/error.h"

namespace forms {

RuntimeError::RuntimeError(ErrorNumber number)
    : std::runtime_error("run-time error " + std::to_string(static_cast<int>(number))),
      number_(number)
{
}

std::u16string RuntimeError::description() const
{
    return describe(number_);
}

void raise(ErrorNumber number)
{
    throw RuntimeError(number);
}

std::u16string describe(ErrorNumber number)
{
    switch (number) {
    case ErrorNumber::InvalidCall:
        return u"プロシージャの呼び出し、または引数が不正です。";
    case ErrorNumber::Overflow:
        return u"オーバーフローしました。";
    case ErrorNumber::OutOfMemory:
        return u"メモリが不足しています。";
    case ErrorNumber::SubscriptOutOfRange:
        return u"インデックスが有効範囲にありません。";
    case ErrorNumber::DivisionByZero:
        return u"0 で除算しました。";
    case ErrorNumber::TypeMismatch:
        return u"型が一致しません。";
    case ErrorNumber::InvalidPropertyValue:
        return u"プロパティの値が不正です。";
    case ErrorNumber::ObjectNotLoaded:
        return u"オブジェクトがアンロードされました。";
    case ErrorNumber::WindowOperationFailed:
        return u"ウィンドウの操作に失敗しました。";
    }
    return u"アプリケーション定義またはオブジェクト定義のエラーです。";
}

std::u16string reportText(const RuntimeError& error)
{
    std::u16string text = u"実行時エラー '";
    for (char c : std::to_string(static_cast<int>(error.number())))
        text += static_cast<char16_t>(c);
    text += u"':\n\n";
    text += error.description();
    return text;
}

} // namespace forms
