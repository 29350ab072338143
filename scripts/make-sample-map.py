#!/usr/bin/env python3
"""Writes samples/sample.map: a plausible calibration for a four-cylinder
engine, one decimal byte per line with CR LF, as the console saves maps.

Image layout: four slot blocks of 459 bytes at 459 * s, one trailing byte.
In a slot: bank 1 table set at 0, settings at 150..158, bank 2 set at 159,
ignition set at 309. A table set holds five tables at set offsets 0 (by
rpm, 32 bytes), 32 (pressure, 62), 94 (throttle, 22), 116 (air, 17) and
133 (water, 17).

    scripts/make-sample-map.py [OUTPUT]
"""
import os
import sys

IMAGE_SIZE = 1837
SLOT_SIZE = 459
TABLES = ((0, 32), (32, 62), (94, 22), (116, 17), (133, 17))
NEUTRAL_GAIN = 90  # fuel corrections: byte - 90 percent
NO_CORRECTION = 45  # ignition: byte - 45 degrees


def clamp(v, lo, hi):
    return max(lo, min(hi, int(round(v))))


def base_fuel(k, richness):
    """Injection time in 0.1 ms at 500 * k rpm: ~2 ms at idle, ~12 ms at 15,000."""
    rpm = k * 500
    t = 20 + 100 * (rpm / 15000) ** 1.15
    if 2500 <= rpm <= 6000:  # a little more around the torque peak
        t += 4 * (1 - abs(rpm - 4250) / 1750)
    return clamp(t * richness, 0, 255)


def pressure_gain(k):
    """Raw pressure k = bar * 10 + 10; more fuel the more air is pushed in."""
    bar = (k - 10) / 10
    gain = 55 * bar if bar < 0 else 40 * bar
    return clamp(NEUTRAL_GAIN + gain, 20, 180)


def throttle_gain(k):
    tps = k * 5
    return clamp(NEUTRAL_GAIN + (6 * (tps - 70) / 30 if tps > 70 else 0), 0, 180)


def air_gain(k):
    """Denser cold air takes a little more fuel, hot air a little less."""
    temp = k * 10 - 20
    return clamp(NEUTRAL_GAIN + 0.2 * (20 - temp), 0, 180)


def water_gain(k):
    """Cold enrichment: +60 % at -20 C, none once the engine is warm (70 C)."""
    temp = k * 10 - 20
    return clamp(NEUTRAL_GAIN + (60 * (70 - temp) / 90 if temp < 70 else 0), 0, 180)


def fuel_set(richness):
    out = [base_fuel(k, richness) for k in range(32)]
    out += [pressure_gain(k) for k in range(62)]
    out += [throttle_gain(k) for k in range(22)]
    out += [air_gain(k) for k in range(17)]
    out += [water_gain(k) for k in range(17)]
    return out


def base_advance(k, extra):
    """Degrees + 45: 10 at idle, rising to about 35 from 4,000 rpm on."""
    rpm = k * 500
    if rpm <= 1000:
        deg = 10
    elif rpm < 4000:
        deg = 10 + 25 * (rpm - 1000) / 3000
    else:
        deg = 35
    return clamp(NO_CORRECTION + deg + extra, 40, 85)


def ignition_set(extra):
    out = [base_advance(k, extra) for k in range(32)]
    # Retard under boost: 4 degrees a bar.
    out += [clamp(NO_CORRECTION - 4 * max(0, (k - 10) / 10), 0, 85) for k in range(62)]
    out += [NO_CORRECTION] * 22
    # Hot intake air: up to 9 degrees less at 130 C.
    out += [clamp(NO_CORRECTION - max(0, (k * 10 - 20) - 40) / 10, 0, 85) for k in range(17)]
    # Cold engine: 3 degrees more below 40 C; hot: 2 less above 100 C.
    out += [NO_CORRECTION + (3 if k * 10 - 20 < 40 else (-2 if k * 10 - 20 > 100 else 0)) for k in range(17)]
    return out


def settings(limiter, rpm_switch):
    return [
        2,  # 150 cyl_mode: code 2 = 4 cylinders, "Full" off
        rpm_switch,  # 151 rpm_switch, 100 rpm
        12,  # 152 water_switch: 12 * 5 - 20 = 40 C
        15,  # 153 delta_tps, percent
        30,  # 154 window_size
        25,  # 155 load_time, 0.1 ms
        limiter,  # 156 limiter, 100 rpm
        0,  # 157 active slot (read in block 0 only)
        0,  # 158 mode_flags: bank 1 view, ignition normal, bank 2 on
    ]


def slot(richness, bank2_richness, advance_extra, limiter, rpm_switch):
    block = fuel_set(richness) + settings(limiter, rpm_switch) + fuel_set(bank2_richness) + ignition_set(advance_extra)
    assert len(block) == SLOT_SIZE
    return block


def image():
    # Four variants a tuner might keep: street, rich, economy, track.
    img = []
    img += slot(1.00, 1.03, 0, 65, 45)
    img += slot(1.08, 1.10, -2, 65, 45)
    img += slot(0.94, 0.96, 2, 60, 40)
    img += slot(1.04, 1.06, 3, 75, 55)
    img.append(0)  # trailing byte
    assert len(img) == IMAGE_SIZE
    assert all(0 <= b <= 255 for b in img)
    for s in range(4):
        for offset, count in TABLES:
            assert len(img[s * SLOT_SIZE + offset : s * SLOT_SIZE + offset + count]) == count
    return img


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "samples", "sample.map")
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out, "w", newline="") as f:
        f.write("".join(f"{b}\r\n" for b in image()))


if __name__ == "__main__":
    main()
