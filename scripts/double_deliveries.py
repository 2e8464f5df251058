#!/usr/bin/env python3
"""Counts the customers delivered while they were still in a dialer's queue.

Reads the journals quorin-dialer-sim --journal writes (one per dialer, see
HoldJournal in src/dialer_sim): "R ns id" (customer received) and "C ns id"
(given back: outcome, release, refusal), on the machine's monotonic clock.
A customer is in a queue from its delivery until that dialer gives it back;
a delivery while it is in any queue, the same dialer's included, is counted.
Prints the number of customers so delivered.
"""
import sys


def main(paths):
    events = []
    for dialer, path in enumerate(paths):
        with open(path) as f:
            for line in f:
                kind, ns, customer = line.split()
                events.append((int(ns), kind != "C", int(customer), dialer))
    # Equal times cannot be told apart: the giving back counts as first.
    events.sort()
    holder = {}
    doubled = set()
    for _, received, customer, dialer in events:
        if received:
            if customer in holder:
                doubled.add(customer)
            holder[customer] = dialer
        elif holder.get(customer) == dialer:
            del holder[customer]
    print(len(doubled))


if __name__ == "__main__":
    main(sys.argv[1:])
