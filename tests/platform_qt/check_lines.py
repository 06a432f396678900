"""One PASS:/FAIL: line per check, as the test command counts them; failures gathers the failed."""

failures = []


def check(name, passed, detail=""):
    print(("PASS: " if passed else "FAIL: ") + name + ("" if passed or not detail else f" ({detail})"), flush=True)
    if not passed:
        failures.append(name)
    return passed
