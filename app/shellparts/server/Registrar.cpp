#include "Registrar.h"

#include "ObjectSystem.h"

#include <QFile>
#include <optional>

namespace quenmar {

namespace {

struct ScriptValue {
  bool isNumber = false;
  QString text;

  QVariant ToVariant() const { return isNumber ? QVariant(text.toUInt(nullptr, 0)) : QVariant(text); }
};

enum class KeyFlag { None, NoRemove, ForceRemove, Delete };

struct ScriptKey {
  QString name;
  KeyFlag flag = KeyFlag::None;
  std::optional<ScriptValue> defaultValue;
  std::vector<std::pair<QString, ScriptValue>> values;
  std::vector<ScriptKey> subkeys;
};

struct Token {
  enum Kind { Word, Quoted, Open, Close, Equals, End } kind = End;
  QString text;
};

// Replaces %NAME% by its value; false when a name is unknown or a % is left open.
bool Substitute(const QString& script, const std::vector<std::pair<QString, QString>>& replacements,
                QString& out) {
  out.clear();
  for (qsizetype i = 0; i < script.size(); ++i) {
    if (script[i] != QLatin1Char('%')) {
      out += script[i];
      continue;
    }
    const qsizetype close = script.indexOf(QLatin1Char('%'), i + 1);
    if (close < 0) return false;
    const QString name = script.mid(i + 1, close - i - 1);
    if (name.isEmpty()) {
      out += QLatin1Char('%');
    } else {
      bool found = false;
      for (const auto& [key, value] : replacements)
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
          out += value;
          found = true;
          break;
        }
      if (!found) return false;
    }
    i = close;
  }
  return true;
}

class Parser {
 public:
  explicit Parser(const QString& text) : m_text(text) { Advance(); }

  // script := root-name '{' entries '}'
  bool ParseScript(std::vector<ScriptKey>& keys) {
    if (m_token.kind != Token::Word) return false;
    const QString root = m_token.text;
    if (root.compare(QLatin1String("HKCR"), Qt::CaseInsensitive) != 0 &&
        root.compare(QLatin1String("HKEY_CLASSES_ROOT"), Qt::CaseInsensitive) != 0)
      return false;  // the classes root is the only part of the registry kept here
    Advance();
    ScriptKey rootKey;
    if (!ParseBlock(rootKey)) return false;
    if (m_token.kind != Token::End || m_failed) return false;
    keys = std::move(rootKey.subkeys);
    return true;
  }

 private:
  static bool Is(const Token& t, const char* word) {
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
  }

  void Advance() {
    const qsizetype n = m_text.size();
    while (m_pos < n && m_text[m_pos].isSpace()) ++m_pos;
    m_token = Token{};
    if (m_pos >= n) return;
    const QChar c = m_text[m_pos];
    if (c == QLatin1Char('{')) { m_token.kind = Token::Open; ++m_pos; return; }
    if (c == QLatin1Char('}')) { m_token.kind = Token::Close; ++m_pos; return; }
    if (c == QLatin1Char('=')) { m_token.kind = Token::Equals; ++m_pos; return; }
    if (c == QLatin1Char('\'')) {
      m_token.kind = Token::Quoted;
      for (++m_pos;; ++m_pos) {
        if (m_pos >= n) { m_failed = true; m_token.kind = Token::End; return; }
        if (m_text[m_pos] == QLatin1Char('\'')) {
          if (m_pos + 1 < n && m_text[m_pos + 1] == QLatin1Char('\'')) {
            m_token.text += QLatin1Char('\'');
            ++m_pos;
            continue;
          }
          ++m_pos;
          return;
        }
        m_token.text += m_text[m_pos];
      }
    }
    m_token.kind = Token::Word;
    while (m_pos < n && !m_text[m_pos].isSpace() && m_text[m_pos] != QLatin1Char('{') &&
           m_text[m_pos] != QLatin1Char('}') && m_text[m_pos] != QLatin1Char('=') &&
           m_text[m_pos] != QLatin1Char('\''))
      m_token.text += m_text[m_pos++];
  }

  bool TakeName(QString& name) {
    if (m_token.kind != Token::Word && m_token.kind != Token::Quoted) return false;
    name = m_token.text;
    Advance();
    return !name.isEmpty();
  }

  // value := ('s' | 'd') quoted-or-word
  bool ParseValue(ScriptValue& value) {
    if (Is(m_token, "s")) value.isNumber = false;
    else if (Is(m_token, "d")) value.isNumber = true;
    else return false;
    Advance();
    if (m_token.kind != Token::Quoted && m_token.kind != Token::Word) return false;
    value.text = m_token.text;
    if (value.isNumber) {
      bool ok = false;
      value.text.toUInt(&ok, 0);
      if (!ok) return false;
    }
    Advance();
    return true;
  }

  // block := '{' (value-entry | key-entry)* '}'
  bool ParseBlock(ScriptKey& parent) {
    if (m_token.kind != Token::Open) return false;
    Advance();
    while (m_token.kind != Token::Close) {
      if (m_token.kind == Token::End || m_failed) return false;
      if (Is(m_token, "val")) {
        Advance();
        std::pair<QString, ScriptValue> entry;
        if (!TakeName(entry.first) || m_token.kind != Token::Equals) return false;
        Advance();
        if (!ParseValue(entry.second)) return false;
        parent.values.push_back(std::move(entry));
        continue;
      }
      ScriptKey key;
      if (Is(m_token, "NoRemove")) key.flag = KeyFlag::NoRemove;
      else if (Is(m_token, "ForceRemove")) key.flag = KeyFlag::ForceRemove;
      else if (Is(m_token, "Delete")) key.flag = KeyFlag::Delete;
      if (key.flag != KeyFlag::None) Advance();
      if (!TakeName(key.name)) return false;
      if (m_token.kind == Token::Equals) {
        Advance();
        key.defaultValue.emplace();
        if (!ParseValue(*key.defaultValue)) return false;
      }
      if (m_token.kind == Token::Open && !ParseBlock(key)) return false;
      parent.subkeys.push_back(std::move(key));
    }
    Advance();
    return true;
  }

  const QString& m_text;
  qsizetype m_pos = 0;
  Token m_token;
  bool m_failed = false;
};

QString Child(const QString& parent, const QString& name) {
  return parent.isEmpty() ? name : parent + QLatin1Char('\\') + name;
}

void RegisterKey(ClassesRoot& root, const QString& parent, const ScriptKey& key) {
  const QString path = Child(parent, key.name);
  if (key.flag == KeyFlag::Delete) {
    root.DeleteKey(path);
    return;
  }
  if (key.flag == KeyFlag::ForceRemove) root.DeleteKey(path);
  root.CreateKey(path);
  if (key.defaultValue) root.SetValue(path, {}, key.defaultValue->ToVariant());
  for (const auto& [name, value] : key.values) root.SetValue(path, name, value.ToVariant());
  for (const ScriptKey& sub : key.subkeys) RegisterKey(root, path, sub);
}

void UnregisterKey(ClassesRoot& root, const QString& parent, const ScriptKey& key) {
  const QString path = Child(parent, key.name);
  switch (key.flag) {
    case KeyFlag::Delete:
      return;
    case KeyFlag::NoRemove:
      for (const ScriptKey& sub : key.subkeys) UnregisterKey(root, path, sub);
      for (const auto& value : key.values) root.DeleteValue(path, value.first);
      return;
    case KeyFlag::None:
    case KeyFlag::ForceRemove:
      root.DeleteKey(path);
      return;
  }
}

}  // namespace

void Registrar::AddReplacement(const QString& name, const QString& value) {
  for (auto& [key, existing] : m_replacements)
    if (key.compare(name, Qt::CaseInsensitive) == 0) {
      existing = value;
      return;
    }
  m_replacements.emplace_back(name, value);
}

Status Registrar::ApplyScript(const QString& script, bool bRegister) {
  QString text;
  if (!Substitute(script, m_replacements, text)) return kScriptSyntax;
  std::vector<ScriptKey> keys;
  if (!Parser(text).ParseScript(keys)) return kScriptSyntax;
  if (const Status readStatus = m_root.ReadStatus(); Failed(readStatus)) return readStatus;
  for (const ScriptKey& key : keys) {
    if (bRegister) RegisterKey(m_root, {}, key);
    else UnregisterKey(m_root, {}, key);
  }
  return m_root.Flush();
}

Status Registrar::ApplyResource(int resourceId, bool bRegister) {
  QFile resource(QStringLiteral(":/REGISTRY/%1").arg(resourceId));
  if (!resource.open(QIODevice::ReadOnly)) return kResourceNotFound;
  return ApplyScript(QString::fromUtf8(resource.readAll()), bRegister);
}

Status CreateRegistrar(ClassesRoot& root, std::unique_ptr<Registrar>& registrar) {
  registrar.reset();
  if (const Status status = ObjectSystem::CheckCreateInstance(); Failed(status)) return status;
  registrar = std::make_unique<Registrar>(root);
  return kOk;
}

}  // namespace quenmar
