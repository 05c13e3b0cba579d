# Fan-out latency against message rate (one sender, 15 receivers) from the "sweep" lines that
# bench/run-all writes ("sweep LABEL RATE P50_US P99_US").
# Usage: gnuplot -e "data='build/relay-sweep.txt'; out='docs/relay-latency.png'" bench/latency-plot.gp
if (!exists("data")) data = 'build/relay-sweep.txt'
if (!exists("out")) out = 'docs/relay-latency.png'
set terminal pngcairo size 900,560 font ",10"
set output out
set title "Fan-out latency to 15 clients against message rate (one sender, loopback)"
set xlabel "messages per second"
set ylabel "latency (microseconds)"
set logscale xy
set xtics (250, 500, 1000, 2000, 4000)
set xrange [200:5000]
set grid xtics ytics mytics
set key outside right top
set pointsize 1.2
# The bare relay runs in every relay_bench invocation; its lines are averaged per rate.
plot \
  "< grep '^sweep desktop ' ".data using 3:4 with linespoints lw 2 pt 7 lc rgb "#1f77b4" title "desktop p50", \
  "< grep '^sweep desktop ' ".data using 3:5 with linespoints lw 2 pt 7 dt 2 lc rgb "#1f77b4" title "desktop p99", \
  "< grep '^sweep headless ' ".data using 3:4 with linespoints lw 2 pt 5 lc rgb "#2ca02c" title "headless p50", \
  "< grep '^sweep headless ' ".data using 3:5 with linespoints lw 2 pt 5 dt 2 lc rgb "#2ca02c" title "headless p99", \
  "< grep '^sweep bare ' ".data." | sort -k3n" using 3:4 smooth unique with linespoints lw 2 pt 9 lc rgb "#7f7f7f" title "bare relay p50", \
  "< grep '^sweep bare ' ".data." | sort -k3n" using 3:5 smooth unique with linespoints lw 2 pt 9 dt 2 lc rgb "#7f7f7f" title "bare relay p99"
