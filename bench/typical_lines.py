"""The benchmarks' 100,000 ROM file names, one in ten Chinese: the same list
as bench/typical_lines.cpp, for the ROM folder and gamelist-cli's list that
scripts/bench makes."""


def typical_lines(count=100000):
    return [f"\u9b42\u6597\u7f57 {i} (\u4e2d\u56fd).zip" if i % 10 == 0
            else f"Super Adventure Game {i} (USA, Europe) (Rev 1).zip"
            for i in range(count)]
