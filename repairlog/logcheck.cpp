#include "repairlog/logcheck.h"

#include "repairlog/loglimits.h"
#include "repairlog/visibletext.h"
#include "supportlog/dumpnames.h"
#include "supportlog/registrydump.h"

#include <algorithm>

namespace {

// The length of "[path] + [key]" at the start of a key line.
int idLength(const QString &path, const QString &key)
{
    return path.size() + key.size() + 7;
}

class Predictor
{
public:
    QVector<ExpectedLine> lines;
    // Per tree, the index of the last line of its first block.
    QVector<int> firstBlockEnds;
    // True when the lines the trees call for pass a whole log's ceiling; the prediction stops.
    bool full = false;

    void predict(const LogTrees &trees)
    {
        for (const auto &root : trees.roots) {
            structure(dumpBlankLine());
            structure(dumpSeparator());
            structure(dumpRootHeader(root->name));
            keyLines(*root, root->name);
            firstBlockEnds.append(lines.size() - 1);
            for (const auto &child : root->children) {
                const QString path = root->name + QLatin1Char('\\') + dumpPathName(child->name);
                structure(dumpSeparator());
                lines.append({ path, path, ExpectedLine::KeyName, child.get(), nullptr });
                keyLines(*child, path);
                nested(*child, path);
            }
        }
    }

private:
    qint64 predictedSize = 0;

    void structure(const QString &text)
    {
        lines.append({ text, text, ExpectedLine::Structure, nullptr, nullptr });
    }

    static void collect(const LogKey &top, QVector<QPair<QString, const LogValue *>> *values)
    {
        // The names of the keys from top down to the one visited.
        QStringList keyNames;
        walkDepthFirst(top, [&keyNames, values](const LogKey &key, int depth) {
            if (depth > 0 && !key.named)
                return false;
            keyNames.erase(keyNames.begin() + qMax(0, depth - 1), keyNames.end());
            if (depth > 0)
                keyNames.append(key.name);
            for (const LogValue &value : key.values)
                values->append({ dumpRelativeKey(keyNames, value.name), &value });
            return true;
        });
    }

    // The settings layer lists every value below the key, sorted by its relative name.
    void keyLines(const LogKey &key, const QString &path)
    {
        if (full)
            return;
        QVector<QPair<QString, const LogValue *>> values;
        collect(key, &values);
        std::sort(values.begin(), values.end(),
                  [](const QPair<QString, const LogValue *> &a,
                     const QPair<QString, const LogValue *> &b) { return a.first < b.first; });
        for (const auto &value : qAsConst(values)) {
            const QString text = dumpKeyLine(path, value.first, value.second->text);
            // The dump writes a value once for every key above it: trees that a short forged log
            // sets deep would take far more lines than any genuine log holds.
            predictedSize += text.size();
            if (predictedSize > LogLimits::MaxLogBytes) {
                full = true;
                return;
            }
            lines.append({ text, text.left(idLength(path, value.first)), ExpectedLine::Value, &key,
                           value.second });
        }
    }

    // The blocks of the keys below key, depth first.
    void nested(const LogKey &top, const QString &topPath)
    {
        // The paths of the keys from top down to the one visited.
        QStringList paths;
        walkDepthFirst(top, [this, &paths, &topPath](const LogKey &key, int depth) {
            paths.erase(paths.begin() + depth, paths.end());
            paths.append(depth == 0 ? topPath
                                    : paths.last() + QLatin1Char('\\') + dumpPathName(key.name));
            if (depth > 0) {
                structure(dumpBlankLine());
                structure(dumpSeparator());
                keyLines(key, paths.last());
            }
            return true;
        });
    }
};

// What identifies an intact line: its text, for a key line the part before the value.
QString idOf(const LogLine &line)
{
    QString path, key, text;
    if (parseKeyLine(line.text, &path, &key, &text))
        return line.text.left(idLength(path, key));
    return line.text;
}

QString countedLines(int count)
{
    return count == 1 ? QStringLiteral("1 more line") : QStringLiteral("%1 more lines").arg(count);
}

class Checker
{
public:
    Checker(const QVector<LogLine> &lines, const LogTrees &trees)
        : actual(lines)
    {
        Predictor predictor;
        predictor.predict(trees);
        expected = predictor.lines;
        firstBlockEnds = predictor.firstBlockEnds;
        tooLarge = predictor.full;
        tooLargeAt = trees.tooLargeAt;
        for (const LogLine &line : actual)
            ids.append(line.intact ? idOf(line) : QString());
        actualMatch.fill(-1, actual.size());
        moved.fill(false, actual.size());
        transposed.fill(false, actual.size());
        repeats.fill(-1, actual.size());
        expectedMatch.fill(-1, expected.size());
    }

    LogCheck check()
    {
        result.linesRead = actual.size();
        result.linesExpected = expected.size();
        // Trees past what a log can hold are no log's: nothing to compare them with.
        if (tooLargeAt > 0) {
            add(tooLargeAt,
                QStringLiteral("line %1 too long for a support log: the keys named up to here "
                               "pass what a support log can hold; the check stops there")
                        .arg(tooLargeAt),
                LosesValues);
            return result;
        }
        if (tooLarge) {
            add(0,
                QStringLiteral("too long for a support log: the lines its trees call for pass "
                               "what a support log can hold; the check stops"),
                LosesValues);
            return result;
        }
        const QVector<QPair<int, int>> anchors = keptAnchors();
        QPair<int, int> previous(-1, -1);
        for (const auto &anchor :
             anchors + QVector<QPair<int, int>>{ { actual.size(), expected.size() } }) {
            alignGap(previous, anchor);
            previous = anchor;
        }
        pairMovedLines();
        report();
        std::stable_sort(result.findings.begin(), result.findings.end(),
                         [](const LogFinding &a, const LogFinding &b) { return a.line < b.line; });
        // Both lines of a swapped pair may name it.
        result.findings.erase(std::unique(result.findings.begin(), result.findings.end(),
                                          [](const LogFinding &a, const LogFinding &b) {
                                              return a.line == b.line && a.text == b.text;
                                          }),
                              result.findings.end());
        result.linesRead = actual.size();
        result.linesExpected = expected.size();
        return result;
    }

private:
    void match(int i, int j)
    {
        actualMatch[i] = j;
        expectedMatch[j] = i;
    }

    // Lines whose id the dump writes once pin the alignment; the longest run of them in the
    // expected order stays, the others were moved or repeat another line.
    QVector<QPair<int, int>> keptAnchors()
    {
        // The expected line of each id written once; -1 for those written more often.
        QHash<QString, int> index;
        index.reserve(expected.size());
        for (int j = 0; j < expected.size(); ++j) {
            auto known = index.find(expected.at(j).id);
            if (known == index.end())
                index.insert(expected.at(j).id, j);
            else
                *known = -1;
        }
        QVector<QPair<int, int>> anchors;
        for (int i = 0; i < actual.size(); ++i) {
            const int j = actual.at(i).intact ? index.value(ids.at(i), -1) : -1;
            if (j >= 0)
                anchors.append({ i, j });
        }
        // Longest strictly increasing run of expected positions.
        QVector<int> tails;
        QVector<int> before(anchors.size(), -1);
        for (int k = 0; k < anchors.size(); ++k) {
            const auto at = std::lower_bound(
                    tails.begin(), tails.end(), anchors.at(k).second,
                    [&](int tail, int j) { return anchors.at(tail).second < j; });
            // Of two lines that stand for the same one, the first stays.
            if (at != tails.end() && anchors.at(*at).second == anchors.at(k).second)
                continue;
            if (at != tails.begin())
                before[k] = *(at - 1);
            if (at == tails.end())
                tails.append(k);
            else
                *at = k;
        }
        QVector<QPair<int, int>> kept;
        for (int k = tails.isEmpty() ? -1 : tails.last(); k >= 0; k = before.at(k))
            kept.append(anchors.at(k));
        std::reverse(kept.begin(), kept.end());
        for (const auto &anchor : qAsConst(kept))
            match(anchor.first, anchor.second);
        for (const auto &anchor : qAsConst(anchors)) {
            if (actualMatch.at(anchor.first) >= 0)
                continue;
            if (expectedMatch.at(anchor.second) >= 0) {
                repeats[anchor.first] = expectedMatch.at(anchor.second);
            } else {
                match(anchor.first, anchor.second);
                moved[anchor.first] = true;
            }
        }
        return kept;
    }

    bool fits(int i, int j) const { return !actual.at(i).intact || ids.at(i) == expected.at(j).id; }

    // Aligns the lines between two kept anchors by the fewest changes: a line missing or
    // unexpected costs 2, a damaged line taken for an expected one 1, two neighbours swapped 1.
    void alignGap(QPair<int, int> from, QPair<int, int> to)
    {
        QVector<int> a, b;
        for (int i = from.first + 1; i < to.first; ++i) {
            if (actualMatch.at(i) < 0 && repeats.at(i) < 0)
                a.append(i);
        }
        for (int j = from.second + 1; j < to.second; ++j) {
            if (expectedMatch.at(j) < 0)
                b.append(j);
        }
        if (a.isEmpty() || b.isEmpty())
            return;
        const int p = a.size(), q = b.size();
        if (qint64(p + 1) * (q + 1) > 4000000) {
            // Too much lost for a full alignment: take what fits in order.
            for (int x = 0, y = 0; x < p && y < q; ++x) {
                if (fits(a.at(x), b.at(y)))
                    match(a.at(x), b.at(y++));
            }
            return;
        }
        const int width = q + 1;
        QVector<int> cost((p + 1) * width, 0);
        QVector<char> step((p + 1) * width, 0);
        for (int x = 0; x <= p; ++x) {
            for (int y = 0; y <= q; ++y) {
                int best = x == 0 && y == 0 ? 0 : INT_MAX;
                char how = 0;
                auto consider = [&](int c, char h) {
                    if (c < best) {
                        best = c;
                        how = h;
                    }
                };
                // On a tie a line is rather missing late than early: a cut log lacks its end.
                if (y > 0)
                    consider(cost[x * width + y - 1] + 2, 'i');
                if (x > 0 && y > 0 && fits(a.at(x - 1), b.at(y - 1)))
                    consider(cost[(x - 1) * width + y - 1]
                                     + (actual.at(a.at(x - 1)).intact ? 0 : 1),
                             'm');
                if (x > 1 && y > 1 && actual.at(a.at(x - 1)).intact && actual.at(a.at(x - 2)).intact
                    && ids.at(a.at(x - 2)) == expected.at(b.at(y - 1)).id
                    && ids.at(a.at(x - 1)) == expected.at(b.at(y - 2)).id
                    && ids.at(a.at(x - 1)) != ids.at(a.at(x - 2)))
                    consider(cost[(x - 2) * width + y - 2] + 1, 't');
                if (x > 0)
                    consider(cost[(x - 1) * width + y] + 2, 'd');
                cost[x * width + y] = best;
                step[x * width + y] = how;
            }
        }
        for (int x = p, y = q; x > 0 || y > 0;) {
            switch (step[x * width + y]) {
            case 'm':
                match(a.at(--x), b.at(--y));
                break;
            case 't':
                match(a.at(x - 2), b.at(y - 1));
                match(a.at(x - 1), b.at(y - 2));
                transposed[a.at(x - 2)] = true;
                x -= 2;
                y -= 2;
                break;
            case 'i':
                --y;
                break;
            default:
                --x;
                break;
            }
        }
    }

    // A line that the alignment left over where another line of its kind is missing was moved
    // across a line that pins the alignment: the missing one nearest to where it stands.
    void pairMovedLines()
    {
        QHash<QString, QVector<int>> missing;
        for (int j = 0; j < expected.size(); ++j) {
            if (expectedMatch.at(j) < 0)
                missing[expected.at(j).id].append(j);
        }
        for (int i = 0; i < actual.size(); ++i) {
            if (actualMatch.at(i) >= 0 || repeats.at(i) >= 0 || !actual.at(i).intact)
                continue;
            QVector<int> &candidates = missing[ids.at(i)];
            if (candidates.isEmpty())
                continue;
            const int here = i > 0 && actualMatch.at(i - 1) >= 0 ? actualMatch.at(i - 1) + 1 : 0;
            const auto nearest
                    = std::min_element(candidates.begin(), candidates.end(), [&](int a, int b) {
                          return qAbs(a - here) < qAbs(b - here);
                      });
            match(i, *nearest);
            moved[i] = true;
            candidates.erase(nearest);
        }
    }

    enum Effect { Harmless, LosesValues, Restores, CastsDoubt };

    void add(int line, const QString &text, Effect effect = Harmless,
             const LogValue *value = nullptr)
    {
        result.findings.append({ line, text, effect == LosesValues });
        note(value, text, effect);
    }

    // A value's copies may share a finding: it is noted once.
    void note(const LogValue *value, const QString &text, Effect effect)
    {
        if (!value)
            return;
        QStringList &notes = result.valueNotes[value];
        if (!notes.contains(text))
            notes.append(text);
        if (effect != Restores)
            result.doubtfulValues.insert(value);
    }

    QString restoredFrom(const ExpectedLine &line) const
    {
        const int source = line.value ? line.value->line : line.key ? line.key->line : 0;
        return source > 0 ? QStringLiteral("restored from line %1").arg(source)
                          : QStringLiteral("restored from the log's structure");
    }

    // The file line after which the expected line j would stand.
    int lineBefore(int j) const { return linesBefore.at(j); }

    void report()
    {
        linesBefore.fill(0, expected.size());
        for (int j = 1; j < expected.size(); ++j) {
            const int i = expectedMatch.at(j - 1);
            linesBefore[j] = i >= 0 ? actual.at(i).number : linesBefore.at(j - 1);
        }
        for (int i = 0; i < actual.size(); ++i)
            reportActual(i);
        int last = -1;
        for (int j = 0; j < expected.size(); ++j) {
            if (expectedMatch.at(j) >= 0)
                last = j;
        }
        for (int j = 0; j <= last; ++j) {
            if (expectedMatch.at(j) >= 0)
                continue;
            int end = j;
            while (end + 1 <= last && expectedMatch.at(end + 1) < 0)
                ++end;
            const QString text = end == j
                    ? QStringLiteral("line %1 missing: %2")
                              .arg(j + 1)
                              .arg(visibleText(expected.at(j).text))
                    : QStringLiteral("lines %1 to %2 missing").arg(j + 1).arg(end + 1);
            const int before = lineBefore(j);
            for (int k = j; k <= end; ++k)
                note(expected.at(k).value, text, CastsDoubt);
            result.findings.append({ before, text, true, true });
            j = end;
        }
        const int more = expected.size() - 1 - last;
        if (more > 0) {
            // Past the first block of the last tree every line follows from the values read.
            const bool exact = last > firstBlockEnds.last();
            add(actual.size(),
                QStringLiteral("cut after line %1: %2%3 expected")
                        .arg(actual.size())
                        .arg(exact ? QString() : QStringLiteral("at least "))
                        .arg(countedLines(more)),
                LosesValues);
            result.findings.last().absent = true;
        }
    }

    void reportActual(int i)
    {
        const LogLine &line = actual.at(i);
        const int j = actualMatch.at(i);
        if (j < 0) {
            if (repeats.at(i) >= 0)
                add(line.number,
                    QStringLiteral("line %1 repeats line %2")
                            .arg(line.number)
                            .arg(actual.at(repeats.at(i)).number));
            else if (line.intact)
                add(line.number,
                    QStringLiteral("line %1 unexpected: %2")
                            .arg(line.number)
                            .arg(visibleText(line.text)));
            else
                add(line.number,
                    QStringLiteral("line %1 damaged (%2), cannot be restored: the log holds no "
                                   "copy of it")
                            .arg(line.number)
                            .arg(line.damage),
                    LosesValues);
            return;
        }
        const ExpectedLine &want = expected.at(j);
        if (!line.intact)
            add(line.number,
                QStringLiteral("line %1 damaged (%2), %3")
                        .arg(line.number)
                        .arg(line.damage, restoredFrom(want)),
                Restores, want.value);
        else if (line.text != want.text)
            add(line.number,
                QStringLiteral("line %1 differs from its copy in line %2")
                        .arg(line.number)
                        .arg(want.value->line),
                CastsDoubt, want.value);
        if (transposed.at(i)) {
            add(line.number,
                QStringLiteral("lines %1 and %2 out of order")
                        .arg(line.number)
                        .arg(line.number + 1));
        } else if (moved.at(i)) {
            // A swap of two neighbours is named once, by the first of the two.
            const bool swappedWithNext = i + 1 < actual.size() && actualMatch.at(i + 1) == j - 1;
            const bool swappedWithPrevious = i > 0 && actualMatch.at(i - 1) == j + 1;
            if (swappedWithNext)
                add(line.number,
                    QStringLiteral("lines %1 and %2 out of order")
                            .arg(line.number)
                            .arg(line.number + 1));
            else if (swappedWithPrevious)
                add(line.number - 1,
                    QStringLiteral("lines %1 and %2 out of order")
                            .arg(line.number - 1)
                            .arg(line.number));
            else
                add(line.number,
                    QStringLiteral("line %1 out of order: it belongs after line %2")
                            .arg(line.number)
                            .arg(lineBefore(j)));
        }
    }

    const QVector<LogLine> &actual;
    QVector<ExpectedLine> expected;
    QVector<int> firstBlockEnds;
    QStringList ids;
    QVector<int> actualMatch;
    QVector<bool> moved;
    QVector<bool> transposed;
    QVector<int> repeats;
    QVector<int> expectedMatch;
    QVector<int> linesBefore;
    bool tooLarge = false;
    int tooLargeAt = 0;
    LogCheck result;
};

} // namespace

QVector<ExpectedLine> predictLog(const LogTrees &trees)
{
    Predictor predictor;
    predictor.predict(trees);
    return predictor.lines;
}

QString LogCheck::report() const
{
    QString text;
    for (const LogFinding &finding : findings)
        text += finding.text + QLatin1Char('\n');
    if (findings.isEmpty())
        return text
                + (linesRead == 1
                           ? QStringLiteral("1 line, all intact and complete\n")
                           : QStringLiteral("%1 lines, all intact and complete\n").arg(linesRead));
    return text
            + QStringLiteral("%1 lines read, %2 expected: damaged or incomplete\n")
                      .arg(linesRead)
                      .arg(linesExpected);
}

LogCheck checkLog(const QVector<LogLine> &lines, const LogTrees &trees)
{
    return Checker(lines, trees).check();
}
