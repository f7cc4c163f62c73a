"""What the Wine tests know of the program, read from its own sources.

Geometry comes from the `constexpr Rect` and `constexpr int` lines of the
layout header (the one that opens `namespace layout`), resource and command
ids from ui/resource.h, texts from the `*Texts.h` / `*Texts.cpp` sources
(UTF-8 there, as the program's developers wrote them), so that a moved
button, a renumbered command or a reworded box moves the tests with it
instead of leaving a stale copy behind. Names inside `layout` are given as
the code inside it spells them:

    rect("kAction")                    (172, 320, 252, 349)
    rect("info::kOk")                  the program-information window's button
    centre(rect("kAction"))            a click point inside it
    rects("kCheck")                    an array, indexed as in the source
    number("info::kWindowWidth")
    resource_id("ID_CHECK_VERSION")    32772
    text("kTextAlreadyLatest")         a named string constant
    text_in("net/UsageSwitch.h", "kSendUsageValue")   one of a given file
    texts_of("ReasonText")             the literals in that function's body
    CATEGORIES                         ["GRID", "PROCESS", "REGISTRY", "RECENT"]
"""
import os
import re

REPO = os.environ.get("KV_REPO") or os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Everything else at the top of the tree is the program's source.
NOT_SOURCE = {"build", "tests", "tools", "docs", "cmake", ".git", ".ci"}

_NUM = r"\s*(-?\d+)\s*"
_SCOPE = re.compile(r"namespace\s+(\w+)\s*\{|\{|\}")
_RECT = re.compile(r"constexpr\s+(?:kv::)?Rect\s+(k\w+)\s*(?:=\s*)?\{" + ",".join([_NUM] * 4) + r"\}")
_RECT_ARRAY = re.compile(r"constexpr\s+(?:kv::)?Rect\s+(k\w+)\s*\[[^\]]*\]\s*=\s*\{(.*?)\}\s*;", re.S)
_INT = re.compile(r"constexpr\s+int\s+(k\w+)\s*=\s*(-?\d+)\s*;")
_DEFINE = re.compile(r"^#define\s+(I[DR]\w*)\s+(\d+)\b", re.M)
_LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
_NAMED_TEXT = re.compile(r"constexpr\s+const\s+char\s*\*\s*(k\w+)\s*=\s*((?:\s*" + _LITERAL.pattern + r")+)\s*;")
# A definition's body opens at the end of its line, or holds the whole
# function on that line (the one-line text accessors).
_FUNCTION = re.compile(r"^[A-Za-z][\w:<>,&* ]*?\b(\w+)\s*\([^;{]*\)\s*(?:const\s*)?\{", re.M)
_ENUM = re.compile(r"enum\s+Category\s*\{([^}]*)\}")


def _source_files():
    for top in sorted(os.listdir(REPO)):
        path = os.path.join(REPO, top)
        if top in NOT_SOURCE or top.startswith(".") or not os.path.isdir(path):
            continue
        for folder, dirs, names in os.walk(path):
            dirs.sort()
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    yield os.path.join(folder, name)


def _read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def _without_comments(code):
    """The code with // and /* */ comments blanked, string literals kept."""
    out, i, n = [], 0, len(code)
    while i < n:
        c = code[i]
        if c == '"':
            j = i + 1
            while j < n and code[j] != '"':
                j += 2 if code[j] == "\\" else 1
            out.append(code[i:j + 1])
            i = j + 1
        elif code.startswith("//", i):
            j = code.find("\n", i)
            i = n if j < 0 else j
        elif code.startswith("/*", i):
            j = code.find("*/", i + 2)
            i = n if j < 0 else j + 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def _unescape(literal):
    return (literal.replace('\\"', '"').replace("\\n", "\n").replace("\\t", "\t")
            .replace("\\\\", "\\"))


def _scoped(code, pattern):
    """(qualified name below `layout`, match) for each match of pattern inside namespace layout."""
    events = [(m.start(), 0, m) for m in _SCOPE.finditer(code)] + [(m.start(), 1, m) for m in pattern.finditer(code)]
    stack, found = [], []
    for _, kind, m in sorted(events, key=lambda e: (e[0], e[1])):
        if kind == 1:
            names = [n for n in stack if n]
            if names[:1] == ["layout"] and all(stack):
                found.append(("::".join(names[1:] + [m.group(1)]), m))
        elif m.group(0).startswith("namespace"):
            stack.append(m.group(1))
        elif m.group(0) == "{":
            stack.append(None)
        elif stack:
            stack.pop()
    return found


class _Index:
    def __init__(self):
        self.rects, self.arrays, self.numbers = {}, {}, {}
        self.texts, self.functions = [], []
        self.ids = {}
        self.categories = []
        for path in _source_files():
            stem = os.path.splitext(os.path.basename(path))[0]
            code = _without_comments(_read(path))
            if re.search(r"^namespace\s+layout\s*\{", code, re.M):
                for name, m in _scoped(code, _RECT):
                    self.rects[name] = tuple(int(v) for v in m.groups()[1:])
                for name, m in _scoped(code, _RECT_ARRAY):
                    items = re.findall(r"\{" + ",".join([_NUM] * 4) + r"\}", m.group(2))
                    self.arrays[name] = [tuple(int(v) for v in item) for item in items]
                for name, m in _scoped(code, _INT):
                    self.numbers[name] = int(m.group(2))
            if os.path.basename(path) == "resource.h":
                self.ids.update((name, int(value)) for name, value in _DEFINE.findall(code))
            found = _ENUM.search(code)
            if found and not self.categories:
                names = [n.strip() for n in found.group(1).split(",") if n.strip()]
                self.categories = [n[1:].upper() for n in names if n != "kCategoryCount"]
            if re.search(r"Texts\.(h|cpp)$", path):
                for m in _NAMED_TEXT.finditer(code):
                    self.texts.append((m.group(1), stem, "".join(_unescape(s) for s in _LITERAL.findall(m.group(2)))))
                for body_name, body in _function_bodies(code):
                    self.functions.append((body_name, stem, [_unescape(s) for s in _LITERAL.findall(body)]))


def _function_bodies(code):
    """(name, body) of each function defined at the start of a line, up to its closing brace."""
    for m in _FUNCTION.finditer(code):
        depth, i = 1, m.end()
        while i < len(code) and depth:
            if code[i] == '"':
                i = _LITERAL.match(code, i).end() - 1
            elif code[i] == "{":
                depth += 1
            elif code[i] == "}":
                depth -= 1
            i += 1
        yield m.group(1), code[m.end():i - 1]


_index = None


def _get():
    global _index
    if _index is None:
        _index = _Index()
    return _index


def _one(table, kind, name, where):
    found = [value for n, stem, value in table if n == name and (where is None or stem == where)]
    if not found:
        raise LookupError(f"no {kind} {name}{' in ' + where if where else ''} in the program's sources")
    if any(v != found[0] for v in found[1:]):
        raise LookupError(f"{kind} {name} differs between files: name the file (where=...)")
    return found[0]


def _layout(table, kind, name):
    if name not in table:
        raise LookupError(f"no {kind} layout::{name} in the program's layout header")
    return table[name]


def rect(name):
    """A `constexpr Rect` of the layout as (left, top, right, bottom)."""
    return _layout(_get().rects, "Rect", name)


def rects(name):
    """A `constexpr Rect name[...]` array of the layout as a list of (left, top, right, bottom)."""
    return _layout(_get().arrays, "Rect array", name)


def number(name):
    """A `constexpr int` of the layout."""
    return _layout(_get().numbers, "int constant", name)


def centre(r):
    """A point inside the rectangle (its centre, rounded down), for a click."""
    left, top, right, bottom = r
    return (left + right) // 2, (top + bottom) // 2


def origin(r):
    return r[0], r[1]


def size(r):
    return r[2] - r[0], r[3] - r[1]


def resource_id(name):
    """A resource, control or command id from ui/resource.h."""
    ids = _get().ids
    if name not in ids:
        raise LookupError(f"no id {name} in resource.h")
    return ids[name]


def text(name):
    """A named text constant (`constexpr const char* kName = "...";`) of a *Texts source."""
    return _one(_get().texts, "text", name, None)


def text_in(source, name):
    """A named text constant of one source file (repository-relative), e.g.
    text_in("net/UsageSwitch.h", "kSettingsKey"): for the few texts that are
    names the program uses rather than words it shows."""
    for m in _NAMED_TEXT.finditer(_without_comments(_read(os.path.join(REPO, source)))):
        if m.group(1) == name:
            return "".join(_unescape(s) for s in _LITERAL.findall(m.group(2)))
    raise LookupError(f"no text {name} in {source}")


def texts_in_array(source, name):
    """The literals of a named text array of one source file, in order, e.g.
    texts_in_array("app/main/MainTexts.cpp", "kCountLabels")."""
    code = _without_comments(_read(os.path.join(REPO, source)))
    m = re.search(r"constexpr\s+const\s+char\s*\*\s*" + re.escape(name) + r"\s*\[[^\]]*\]\s*=\s*\{(.*?)\}\s*;",
                  code, re.S)
    if not m:
        raise LookupError(f"no text array {name} in {source}")
    return [_unescape(t) for t in _LITERAL.findall(m.group(1))]


def texts_of(function, where=None):
    """The string literals in a *Texts source's function, in order (e.g. ReasonText's reasons)."""
    return _one(_get().functions, "text function", function, where)


def __getattr__(name):
    if name == "CATEGORIES":
        found = _get().categories
        if not found:
            raise LookupError("no enum Category in the program's sources")
        return list(found)
    raise AttributeError(name)
